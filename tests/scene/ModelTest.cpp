// Model records: the default instance, placements in byte order, and single ownership.
#include "tests/scene/SceneFixture.h"

#include <vector>

namespace {

struct ConstructionCase {
    std::optional<std::string> argument;
    std::string expectedFileName;
};

class ModelConstruction : public testing::TestWithParam<ConstructionCase> {};

TEST_P(ModelConstruction, HoldsOnlyTheDefInstanceAtTheOriginAndNoResources)
{
    const ConstructionCase& row = GetParam();
    Model model = row.argument ? Model(*row.argument) : Model();

    EXPECT_EQ(model.fileName, row.expectedFileName);
    EXPECT_EQ(model.materialCount, 0u);
    EXPECT_TRUE(model.materials.empty());
    EXPECT_TRUE(model.textures.empty());
    EXPECT_TRUE(model.detailTextures.empty());
    EXPECT_FALSE(model.mesh);
    ASSERT_EQ(model.instances.size(), 1u);
    const ModelInstance& def = model.instances.at("def");
    EXPECT_EQ(std::vector({def.position.x, def.position.y, def.position.z, def.rotation.x,
                           def.rotation.y, def.rotation.z}),
              std::vector(6, 0.0));
}

INSTANTIATE_TEST_SUITE_P(
    FileNames, ModelConstruction,
    testing::Values(ConstructionCase{"objektumok\\haz\\map02.x", "objektumok\\haz\\map02.x"},
                    ConstructionCase{std::nullopt, "objektumok\\kocka\\kocka_00.x"}));

TEST(ModelInstances, AddingAnExistingNameMovesAndTurnsItWithoutAddingOne)
{
    Model model;
    model.addInstance(Vec3(1, 2, 3), Vec3(0.5, 0, 0), "def");

    ASSERT_EQ(model.instances.size(), 1u);
    EXPECT_EQ(model.instances.at("def").position.z, 3);
    EXPECT_EQ(model.instances.at("def").rotation.x, 0.5);

    model.addInstance(Vec3(), Vec3(), "second");
    EXPECT_EQ(model.instances.size(), 2u);
}

TEST(ModelInstances, AreVisitedInByteOrderWhateverTheOrderOfInsertion)
{
    Model model;
    for (const char* name : {"ab", "a", "B"})
        model.addInstance(Vec3(), Vec3(), name);

    std::vector<std::string> visited;
    for (const auto& [name, instance] : model.instances)
        visited.push_back(name);
    EXPECT_EQ(visited, (std::vector<std::string>{"B", "a", "ab", "def"}));
}

class ModelOwnership : public SceneTest {};

TEST_F(ModelOwnership, DestroyingReleasesEachTextureAndDetailInTurnThenTheMesh)
{
    MeshFile file;
    file.materials = {FakeMaterial{.textureFile = "a.bmp"}, FakeMaterial{},
                      FakeMaterial{.textureFile = "b.bmp"}};
    fakes.meshFiles["m.x"] = file;
    {
        Model model = loaded("m.x");
        callLog().clear();
    }
    EXPECT_EQ(callLog().named("Release"),
              (std::vector<std::string>{
                  "Release(texture:a.bmp)", "Release(texture:objektumok\\haz\\Detail.bmp)",
                  "Release(texture:b.bmp)", "Release(texture:objektumok\\haz\\Detail.bmp)",
                  "Release(mesh:m.x:clone)"}));
}

TEST_F(ModelOwnership, MovingHandsTheResourcesOverAndLeavesTheSourceFresh)
{
    fakes.meshFiles["m.x"] = fileWithTexture("a.bmp");
    Model source = loaded("m.x");
    callLog().clear();

    Model target = std::move(source);

    EXPECT_TRUE(callLog().named("Release").empty());
    EXPECT_EQ(target.materialCount, 1u);
    EXPECT_EQ(labelOf(target.mesh.get()), "mesh:m.x:clone");
    EXPECT_EQ(source.materialCount, 0u);
    EXPECT_TRUE(source.textures.empty());
    EXPECT_FALSE(source.mesh);
}

} // namespace
