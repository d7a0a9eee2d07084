// Loading a model: message texts, texture paths, materials, detail coordinates, the scene light.
#include "tests/scene/SceneFixture.h"

#include <cstring>
#include <ostream>
#include <set>
#include <vector>

namespace {

const std::string kMissingMeshCaption = cp1250(L"Nem találom az x filet!");
const std::string kMissingTextureCaption = cp1250(L"Nincs meg a textúra file! :(");
const std::string kDetailFile = "objektumok\\haz\\Detail.bmp";

class ModelLoading : public SceneTest {};

// A texture made from the bytes read from `file` as D3DXCreateTextureFromFileA makes one:
// default sizes, levels and filters, any format, the managed pool, no colour key.
std::string textureFromMemory(const std::string& file)
{
    return formatCall("createTextureFromFileInMemoryEx", "device", file, D3DX_DEFAULT,
                      D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                      D3DX_DEFAULT, D3DX_DEFAULT, LoggedColor{0}, nullptr, nullptr, "ptr");
}

// A mesh file the loader can't read, or says it read but hands back no mesh for.
struct UnreadableMesh {
    const char* name;
    std::set<std::string> FakePlatform::*unreadable;   // else the loader hands back no mesh
    std::vector<std::string> released;
};

void PrintTo(const UnreadableMesh& c, std::ostream* os) { *os << c.name; }

class UnreadableMeshFile : public ModelLoading,
                           public testing::WithParamInterface<UnreadableMesh> {};

TEST_P(UnreadableMeshFile, ShowsItsNameOnceFailsAndLeavesEverythingUntouched)
{
    const std::string file = "objektumok\\haz\\map02.x";
    if (GetParam().unreadable)
        (fakes.*GetParam().unreadable).insert(file);
    else
        fakes.meshFiles[file].noMesh = true;
    g_sceneLight.Range = 123.0f;
    Model model(file);

    EXPECT_EQ(model.load(), E_FAIL);

    EXPECT_EQ(callLog().named("messageBox"), std::vector{messageBoxCall(file, kMissingMeshCaption)});
    EXPECT_EQ(model.materialCount, 0u);
    EXPECT_TRUE(model.materials.empty());
    EXPECT_FALSE(model.mesh);
    EXPECT_EQ(g_sceneLight.Range, 123.0f);
    EXPECT_EQ(callLog().named("Release"), GetParam().released);
}

INSTANTIATE_TEST_SUITE_P(
    Loaders, UnreadableMeshFile,
    testing::Values(UnreadableMesh{"FailedLoad", &FakePlatform::missingFiles, {}},
                    UnreadableMesh{"TooLargeForMemory", &FakePlatform::hugeFiles, {}},
                    UnreadableMesh{"SuccessWithoutAMesh", nullptr,
                                   {"Release(materials:objektumok\\haz\\map02.x)"}}),
    [](const testing::TestParamInfo<UnreadableMesh>& info) { return info.param.name; });

// Loading again a model that holds resources, with the file changed in between.
struct SecondLoad {
    const char* name;
    MeshFile file;
    bool missing;
};

void PrintTo(const SecondLoad& c, std::ostream* os) { *os << c.name; }

class ModelLoadingAgain : public ModelLoading, public testing::WithParamInterface<SecondLoad> {};

TEST_P(ModelLoadingAgain, KeepsNothingOfTheFirstLoad)
{
    fakes.meshFiles["m.x"] = fileWithTexture("wall.bmp");
    Model model = loaded("m.x");
    fakes.meshFiles["m.x"] = GetParam().file;
    if (GetParam().missing)
        fakes.missingFiles.insert("m.x");

    EXPECT_EQ(model.load(), GetParam().missing ? E_FAIL : S_OK);

    EXPECT_EQ(model.materialCount, GetParam().missing ? 0u : 1u);
    for (const auto& texture : fakes.textures)
        EXPECT_EQ(texture->refCount, 0) << texture->label;
    EXPECT_EQ(fakes.meshes.at(0)->clones.at(0)->refCount, 0);
    EXPECT_FALSE(!model.textures.empty() && model.textures[0]);
}

INSTANTIATE_TEST_SUITE_P(
    ChangedFiles, ModelLoadingAgain,
    testing::Values(SecondLoad{"NowUntextured", MeshFile{}, false},
                    SecondLoad{"NowMissing", MeshFile{}, true}),
    [](const testing::TestParamInfo<SecondLoad>& info) { return info.param.name; });

TEST_F(ModelLoading, ReadingTheFileResetsTheSceneLightToAWhiteDirectionalLight)
{
    g_sceneLight.Range = 123.0f;
    g_sceneLight.Direction = {0.0f, -1.0f, 0.0f};
    g_sceneLight.Falloff = 2.0f;

    Model model = loaded("m.x");

    D3DLIGHT9 expected = {};
    expected.Type = D3DLIGHT_DIRECTIONAL;
    expected.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    expected.Ambient = {1.0f, 1.0f, 1.0f, 0.0f};
    expected.Range = 10000.0f;
    EXPECT_EQ(std::memcmp(&g_sceneLight, &expected, sizeof expected), 0);
}

TEST_F(ModelLoading, CallsThePlatformInOrderAndReleasesTheLoadedMeshAndMaterialBuffer)
{
    fakes.meshFiles["objektumok\\haz\\map02.x"] = fileWithTexture("wall.bmp");
    Model model = loaded("objektumok\\haz\\map02.x");

    EXPECT_EQ(callLog().calls(),
              (std::vector<std::string>{
                  "readFile(objektumok\\haz\\map02.x)",
                  "loadMeshFromXInMemory(objektumok\\haz\\map02.x, 544, device, null, ptr, null, "
                  "ptr, ptr)",
                  "GetBufferPointer(materials:objektumok\\haz\\map02.x)",
                  "readFile(objektumok\\haz\\wall.bmp)",
                  textureFromMemory("objektumok\\haz\\wall.bmp"),
                  "AddRef(texture:objektumok\\haz\\wall.bmp)",
                  "readFile(objektumok\\haz\\Detail.bmp)",
                  textureFromMemory("objektumok\\haz\\Detail.bmp"),
                  "AddRef(texture:objektumok\\haz\\Detail.bmp)",
                  "Release(texture:objektumok\\haz\\wall.bmp)",
                  "Release(texture:objektumok\\haz\\Detail.bmp)",
                  "CloneMeshFVF(mesh:objektumok\\haz\\map02.x, 544, 514, device, ptr)",
                  "Release(mesh:objektumok\\haz\\map02.x)",
                  "Release(materials:objektumok\\haz\\map02.x)",
                  "GetNumVertices(mesh:objektumok\\haz\\map02.x:clone)",
                  "GetVertexBuffer(mesh:objektumok\\haz\\map02.x:clone, ptr)",
                  "Lock(vertices:objektumok\\haz\\map02.x:clone, 0, 0, ptr, 0)",
                  "Unlock(vertices:objektumok\\haz\\map02.x:clone)",
                  "Release(vertices:objektumok\\haz\\map02.x:clone)",
              }));
}

// Each file is read and made into a texture once in a load, the detail texture included; every
// material that names it holds a reference of its own, given back once when the model goes.
TEST_F(ModelLoading, MakesEachFileIntoOneTextureThatEveryMaterialNamingItHolds)
{
    fakes.meshFiles["m.x"].materials = {FakeMaterial{.textureFile = "a.bmp"},
                                        FakeMaterial{.textureFile = "b.bmp"},
                                        FakeMaterial{.textureFile = "a.bmp"}};
    {
        Model model = loaded("m.x");

        EXPECT_EQ(callLog().named("readFile"),
                  (std::vector<std::string>{"readFile(m.x)", "readFile(a.bmp)",
                                            "readFile(objektumok\\haz\\Detail.bmp)", "readFile(b.bmp)"}));
        ASSERT_EQ(fakes.textures.size(), 3u);
        EXPECT_EQ(model.textures.at(2).get(), model.textures.at(0).get());
        EXPECT_EQ(fakes.textures[0]->refCount, 2);   // a.bmp
        EXPECT_EQ(fakes.textures[1]->refCount, 3);   // the detail texture
    }
    for (const auto& texture : fakes.textures)
        EXPECT_EQ(texture->refCount, 0) << texture->label;
}

struct TexturePathCase {
    std::string fileName;
    std::string textureName;
    std::string expectedPath;
};

// A file name `length` bytes long, in a directory of 'd's.
TexturePathCase longName(size_t length)
{
    const std::string file = "\\map.x";
    const std::string directory(length - file.size(), 'd');
    return {directory + file, "wall.bmp", directory + "\\wall.bmp"};
}

class TexturePaths : public ModelLoading, public testing::WithParamInterface<TexturePathCase> {};

TEST_P(TexturePaths, AreTheFilesDirectoryFollowedByTheNameTheMaterialGives)
{
    const TexturePathCase& row = GetParam();
    fakes.meshFiles[row.fileName] = fileWithTexture(row.textureName);

    Model model = loaded(row.fileName);

    EXPECT_EQ(labelOf(model.textures.at(0).get()), "texture:" + row.expectedPath);
    EXPECT_EQ(labelOf(model.detailTextures.at(0).get()), "texture:" + kDetailFile);
    EXPECT_TRUE(callLog().named("messageBox").empty());
}

INSTANTIATE_TEST_SUITE_P(
    FileNames, TexturePaths,
    testing::Values(
        TexturePathCase{"objektumok\\haz\\map02.x", "wall.bmp", "objektumok\\haz\\wall.bmp"},
        TexturePathCase{"objektumok\\haz\\map02.x", "tex\\wall.bmp",
                        "objektumok\\haz\\tex\\wall.bmp"},
        TexturePathCase{"model.x", "wall.bmp", "wall.bmp"},
        TexturePathCase{"objektumok/haz/map02.x", "wall.bmp", "wall.bmp"},
        TexturePathCase{"objektumok\\haz/sub/map02.x", "wall.bmp", "objektumok\\wall.bmp"},
        TexturePathCase{"\\map02.x", "wall.bmp", "\\wall.bmp"},
        longName(499), longName(500), longName(501), longName(4096)));

class UntexturedMaterials : public ModelLoading,
                            public testing::WithParamInterface<std::optional<std::string>> {};

TEST_P(UntexturedMaterials, GetNeitherABaseNorADetailTexture)
{
    fakes.meshFiles["m.x"] = fileWithTexture(GetParam());

    Model model = loaded("m.x");

    EXPECT_TRUE(callLog().named("createTextureFromFile").empty());
    EXPECT_FALSE(model.textures.at(0));
    EXPECT_FALSE(model.detailTextures.at(0));
}

INSTANTIATE_TEST_SUITE_P(EmptyOrAbsent, UntexturedMaterials,
                         testing::Values(std::nullopt, std::string()));

// A texture file that isn't there, or is too large for memory to read.
class UnreadableTexture : public ModelLoading,
                          public testing::WithParamInterface<std::set<std::string> FakePlatform::*> {};

TEST_P(UnreadableTexture, ShowsItsPathOnceAndStillGetsADetailTexture)
{
    fakes.meshFiles["objektumok\\haz\\map02.x"] = fileWithTexture("wall.bmp");
    (fakes.*GetParam()).insert("objektumok\\haz\\wall.bmp");

    Model model = loaded("objektumok\\haz\\map02.x");

    EXPECT_EQ(callLog().named("messageBox"),
              std::vector{messageBoxCall("objektumok\\haz\\wall.bmp", kMissingTextureCaption)});
    EXPECT_FALSE(model.textures.at(0));
    EXPECT_EQ(labelOf(model.detailTextures.at(0).get()), "texture:" + kDetailFile);
}

INSTANTIATE_TEST_SUITE_P(MissingOrHuge, UnreadableTexture,
                         testing::Values(&FakePlatform::missingFiles, &FakePlatform::hugeFiles));

TEST_F(ModelLoading, MissingDetailTextureIsSilent)
{
    fakes.meshFiles["m.x"] = fileWithTexture("wall.bmp");
    fakes.missingFiles.insert(kDetailFile);

    Model model = loaded("m.x");

    EXPECT_TRUE(callLog().named("messageBox").empty());
    EXPECT_TRUE(model.textures.at(0));
    EXPECT_FALSE(model.detailTextures.at(0));
}

TEST_F(ModelLoading, MeshWithoutMaterialsIsReportedAndStillLoads)
{
    fakes.meshFiles["m.x"].materials = {};

    Model model = loaded("m.x");

    EXPECT_EQ(callLog().named("messageBox"),
              std::vector{messageBoxCall("Nincsen is materials", "Bassz!!")});
    EXPECT_TRUE(model.mesh);
}

TEST_F(ModelLoading, MissingMaterialBufferIsNotReadAndLeavesTheMaterialsUntextured)
{
    fakes.meshFiles["m.x"] = fileWithTexture("wall.bmp");
    fakes.meshFiles["m.x"].noMaterialBuffer = true;

    Model model = loaded("m.x");

    EXPECT_TRUE(callLog().named("GetBufferPointer").empty());
    EXPECT_TRUE(callLog().named("createTextureFromFile").empty());
    EXPECT_EQ(model.materialCount, 1u);
    EXPECT_FALSE(model.textures.at(0));
}

TEST_F(ModelLoading, AmbientColourOfEveryMaterialIsItsDiffuseColourIncludingAlpha)
{
    const D3DMATERIAL9 fromFile = {{0.1f, 0.2f, 0.3f, 0.4f}, {0.9f, 0.8f, 0.7f, 0.6f},
                                   {0.5f, 0.5f, 0.5f, 1.0f}, {0.0f, 0.1f, 0.0f, 1.0f}, 8.0f};
    const FakeMaterial untextured{fromFile, std::nullopt};
    fakes.meshFiles["m.x"].materials = {untextured, untextured};

    Model model = loaded("m.x");

    for (const D3DMATERIAL9& stored : model.materials) {
        D3DMATERIAL9 expected = fromFile;
        expected.Ambient = fromFile.Diffuse;
        EXPECT_EQ(std::memcmp(&stored, &expected, sizeof expected), 0);
    }
}

TEST_F(ModelLoading, DetailCoordinatesAreTheBaseCoordinatesTimesForty)
{
    fakes.meshFiles["m.x"].setVertices(std::vector<ModelVertex>{
        {1, 2, 3, 0.5f, 0.25f, 7, 7}, {4, 5, 6, 0, 0, 7, 7}});

    Model model = loaded("m.x");

    const auto vertices = fakes.meshes.at(0)->clones.at(0)->vertexBuffer.vertices<ModelVertex>();
    ASSERT_EQ(vertices.size(), 2u);
    EXPECT_EQ(std::vector({vertices[0].u, vertices[0].v, vertices[0].detailU, vertices[0].detailV}),
              std::vector({0.5f, 0.25f, 20.0f, 10.0f}));
    EXPECT_EQ(std::vector({vertices[1].detailU, vertices[1].detailV}), std::vector({0.0f, 0.0f}));
    EXPECT_EQ(vertices[1].z, 6.0f);
}

TEST_F(ModelLoading, FailedVertexLockIsReportedWritesNothingAndStillLoads)
{
    fakes.meshFiles["m.x"].setVertices(std::vector<ModelVertex>{{0, 0, 0, 0.5f, 0.5f, 7, 7}});
    fakes.meshFiles["m.x"].lockResult = D3DERR_INVALIDCALL;

    Model model = loaded("m.x");

    EXPECT_EQ(callLog().named("messageBox"),
              std::vector{messageBoxCall(cp1250(L"Nem sikerült beírni a vertex adatokat!"),
                                         "d3d_engin")});
    EXPECT_TRUE(callLog().named("Unlock").empty());
    const auto vertices = fakes.meshes.at(0)->clones.at(0)->vertexBuffer.vertices<ModelVertex>();
    EXPECT_EQ(vertices.at(0).detailU, 7.0f);
}

TEST_F(ModelLoading, CloneYieldingNoMeshLeavesTheMeshNullAndStillLoads)
{
    fakes.meshFiles["m.x"].cloneResult = E_OUTOFMEMORY;

    Model model = loaded("m.x");

    EXPECT_FALSE(model.mesh);
    EXPECT_EQ(model.materialCount, 1u);
    EXPECT_TRUE(callLog().named("messageBox").empty());
    EXPECT_EQ(callLog().named("Release"),
              (std::vector<std::string>{"Release(mesh:m.x)", "Release(materials:m.x)"}));
}

} // namespace
