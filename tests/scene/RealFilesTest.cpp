// Loading real .x files by other authors on a real Direct3D device: the repository's own
// selection, and the larger collection beside the repository when there is one. The expected
// figures are those of Wine's D3DX; rows whose outcome is Wine's own are held to them under Wine
// only, and elsewhere to what the viewer promises whatever the loader makes of the file. A file
// that Wine's D3DX alone refuses and the viewer loads with its second try is held, everywhere, to
// what the file itself states (second_try.tsv beside the bundled expected.tsv).
#include <algorithm>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "app/Graphics.h"
#include "scene/ModelRegistry.h"
#include "tests/scene/RealDevice.h"

namespace {

// One row of expected.tsv: what the reference run of Wine's D3DX gave for a file.
struct ExpectedLoad {
    std::string path;   // relative to the test data folder, backslash-separated
    HRESULT result;
    DWORD materialCount;
    DWORD vertexCount;
    std::vector<std::string> textureNames;   // "null" where a material names none
    std::string wineOnly;   // why the outcome is Wine's own; empty when any loader should agree
};

// A table without the wine_only column, as the shared collection's, is read as its notes say:
// every failure in it is Wine's loader rejecting the file.
constexpr char kUnmarkedFailure[] = "a failure in a table that marks none";

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    return parts;
}

// The folder `relative` (backslash-separated) in the nearest folder above the executable that
// holds it with its expected.tsv; empty when none does.
std::string findFolderAbove(const std::string& relative)
{
    std::string directory(32768, '\0');
    directory.resize(GetModuleFileNameA(nullptr, directory.data(), directory.size()));
    for (size_t slash; (slash = directory.find_last_of("\\/")) != std::string::npos;) {
        directory.erase(slash);
        const std::string candidate = directory + "\\" + relative;
        if (GetFileAttributesA((candidate + "\\expected.tsv").c_str()) != INVALID_FILE_ATTRIBUTES)
            return candidate;
    }
    return {};
}

std::vector<ExpectedLoad> parseExpectedLoads(std::istream& table)
{
    std::vector<ExpectedLoad> rows;
    std::string line;
    std::getline(table, line);   // the header
    const bool marksWineOnly = line.find("\twine_only") != std::string::npos;
    while (std::getline(table, line)) {
        const std::vector<std::string> columns = split(line, '\t');
        if (columns.size() < 7)
            continue;
        std::string path = columns[0];
        std::replace(path.begin(), path.end(), '/', '\\');
        ExpectedLoad row{path, static_cast<HRESULT>(std::stoul(columns[1], nullptr, 16)),
                         static_cast<DWORD>(std::stoul(columns[2])),
                         static_cast<DWORD>(std::stoul(columns[3])), split(columns[6], ';'), ""};
        if (columns.size() > 7)
            row.wineOnly = columns[7];
        else if (!marksWineOnly && FAILED(row.result))
            row.wineOnly = kUnmarkedFailure;
        rows.push_back(row);
    }
    return rows;
}

std::vector<ExpectedLoad> readExpectedLoads(const std::string& folder)
{
    std::ifstream table(folder + "\\expected.tsv");
    return parseExpectedLoads(table);
}

// What a file states, counted from its text: the materials of its meshes with their texture
// names in order ("null" where a material names none), and their faces as triangles.
struct StatedMesh {
    DWORD materialCount;
    DWORD faceCount;
    std::vector<std::string> textureNames;
};

// The rows of second_try.tsv, by path as expected.tsv gives it.
std::map<std::string, StatedMesh> readSecondTries()
{
    std::map<std::string, StatedMesh> rows;
    std::ifstream table(findFolderAbove("tests\\data\\x") + "\\second_try.tsv");
    std::string line;
    std::getline(table, line);   // the header
    while (std::getline(table, line)) {
        const std::vector<std::string> columns = split(line, '\t');
        std::string path = columns.at(0);
        std::replace(path.begin(), path.end(), '/', '\\');
        rows[path] = {static_cast<DWORD>(std::stoul(columns.at(1))),
                      static_cast<DWORD>(std::stoul(columns.at(2))), split(columns.at(3), ';')};
    }
    return rows;
}

// Only Wine's ntdll exports wine_get_version.
bool runningUnderWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

bool referenceHolds(const ExpectedLoad& row, bool underWine)
{
    return underWine || row.wineOnly.empty();
}

std::string directoryOf(const std::string& path)
{
    const size_t backslash = path.rfind('\\');
    return backslash == std::string::npos ? std::string() : path.substr(0, backslash + 1);
}

// A collection of real files: where it lies above the executable, and whether it must be there.
struct Collection {
    const char* name;
    const char* folder;
    bool optional;
};

void PrintTo(const Collection& c, std::ostream* os) { *os << c.name; }

class RealFiles : public testing::TestWithParam<Collection> {
protected:
    void SetUp() override
    {
        const Collection& collection = GetParam();
        dataFolder = findFolderAbove(collection.folder);
        if (dataFolder.empty() && collection.optional)
            GTEST_SKIP() << collection.folder << " is not beside the repository: skipped";
        ASSERT_FALSE(dataFolder.empty()) << collection.folder << " not found above the executable";
        ASSERT_NO_FATAL_FAILURE(device.open());

        previousFolder.resize(GetCurrentDirectoryA(0, nullptr));
        previousFolder.resize(GetCurrentDirectoryA(previousFolder.size(), previousFolder.data()));
        ASSERT_TRUE(SetCurrentDirectoryA(dataFolder.c_str()));
    }

    void TearDown() override
    {
        SetCurrentDirectoryA(previousFolder.c_str());
        device.close();
    }

    std::string dataFolder;
    std::string previousFolder;
    RealDevice device;
};

void expectDetailCoordinatesScaled(ID3DXMesh& mesh)
{
    IDirect3DVertexBuffer9* buffer = nullptr;
    void* data = nullptr;
    ASSERT_EQ(mesh.GetVertexBuffer(&buffer), D3D_OK);
    ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    const auto* vertices = static_cast<const ModelVertex*>(data);
    DWORD mismatches = 0;
    for (DWORD k = 0; k < mesh.GetNumVertices(); ++k) {
        if (vertices[k].detailU != vertices[k].u * 40.0f ||
            vertices[k].detailV != vertices[k].v * 40.0f)
            ++mismatches;
    }
    buffer->Unlock();
    buffer->Release();
    EXPECT_EQ(mismatches, 0u);
}

std::string fileNotFoundBox(const std::string& path)
{
    return messageBoxCall(path, cp1250(L"Nem találom az x filet!"));
}

// What the viewer promises whatever the loader makes of the file: a loaded mesh in its own
// vertex format, or the "file not found" box alone and the entry left fresh.
void expectViewerContract(const Model& entry, bool loaded, const std::string& path)
{
    if (!loaded) {
        EXPECT_FALSE(entry.mesh);
        EXPECT_EQ(entry.materialCount, 0u);
        EXPECT_TRUE(entry.textures.empty());
        EXPECT_EQ(callLog().calls(), std::vector{fileNotFoundBox(path)});
        return;
    }
    ASSERT_TRUE(entry.mesh);
    EXPECT_EQ(entry.mesh->GetFVF(), kModelVertexFormat);
    expectDetailCoordinatesScaled(*entry.mesh.get());
    const std::vector<std::string>& calls = callLog().calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), fileNotFoundBox(path)), 0);
}

// Each named texture either loaded or reported by its path.
void expectTextures(const Model& entry, const std::vector<std::string>& names, const std::string& path)
{
    for (size_t i = 0; i < names.size() && i < entry.materialCount; ++i) {
        const std::string& name = names[i];
        if (name == "null") {
            EXPECT_FALSE(entry.textures[i]);
            EXPECT_FALSE(entry.detailTextures[i]);
        } else if (!entry.textures[i]) {
            const std::string report = messageBoxCall(directoryOf(path) + name,
                                                      cp1250(L"Nincs meg a textúra file! :("));
            EXPECT_NE(std::find(callLog().calls().begin(), callLog().calls().end(), report),
                      callLog().calls().end())
                << "no message for " << name;
        }
    }
}

// The reference run's figures: the outcome, the counts, and the textures.
void expectReferenceRun(const Model& entry, bool loaded, const ExpectedLoad& row)
{
    EXPECT_EQ(loaded, SUCCEEDED(row.result));
    EXPECT_EQ(entry.materialCount, row.materialCount);
    if (!loaded || !entry.mesh)
        return;
    EXPECT_EQ(entry.mesh->GetNumVertices(), row.vertexCount);
    expectTextures(entry, row.textureNames, row.path);
}

void expectStatedMesh(const Model& entry, bool loaded, const StatedMesh& stated,
                      const std::string& path)
{
    ASSERT_TRUE(loaded);
    EXPECT_EQ(entry.materialCount, stated.materialCount);
    ASSERT_TRUE(entry.mesh);
    EXPECT_EQ(entry.mesh->GetNumFaces(), stated.faceCount);
    expectTextures(entry, stated.textureNames, path);
}

TEST_P(RealFiles, EveryFileKeepsTheViewersContractAndLoadsAsTheReferenceRunWhereThatHolds)
{
    const std::vector<ExpectedLoad> rows = readExpectedLoads(dataFolder);
    ASSERT_FALSE(rows.empty());
    const bool underWine = runningUnderWine();
    const std::map<std::string, StatedMesh> secondTries = readSecondTries();
    RealLoadsRecordedMessages platform;
    ModelRegistry registry;

    for (const ExpectedLoad& row : rows) {
        SCOPED_TRACE(row.path);
        callLog().clear();

        const bool loaded = registry.loadByName(row.path);

        const Model& entry = registry.models.at(row.path);
        expectViewerContract(entry, loaded, row.path);
        const auto secondTry = secondTries.find(row.path);
        if (secondTry != secondTries.end())
            expectStatedMesh(entry, loaded, secondTry->second, row.path);
        else if (referenceHolds(row, underWine))
            expectReferenceRun(entry, loaded, row);
    }
    EXPECT_EQ(registry.models.size(), rows.size());
}

INSTANTIATE_TEST_SUITE_P(
    Collections, RealFiles,
    testing::Values(Collection{"Bundled", "tests\\data\\x", false},
                    Collection{"SharedBesideTheRepository", "shared\\testdata\\x", true}),
    [](const testing::TestParamInfo<Collection>& info) { return info.param.name; });

// Which rows are held to the reference run, under Wine and elsewhere.
struct ReferenceCase {
    const char* name;
    const char* table;
    bool underWine;
    std::vector<bool> held;   // row by row
};

void PrintTo(const ReferenceCase& c, std::ostream* os) { *os << c.name; }

class ReferenceRows : public testing::TestWithParam<ReferenceCase> {};

TEST_P(ReferenceRows, HoldOutcomesOfWinesOwnUnderWineOnly)
{
    std::istringstream table(GetParam().table);
    std::vector<bool> held;
    for (const ExpectedLoad& row : parseExpectedLoads(table))
        held.push_back(referenceHolds(row, GetParam().underWine));
    EXPECT_EQ(held, GetParam().held);
}

constexpr char kMarkedTable[] =
    "path\thresult\tmaterials\tvertices\tfaces\tfvf\ttextures\twine_only\n"
    "ok.x\t0x00000000\t1\t24\t12\t0x112\tnull\n"
    "bad.x\t0x80004005\t0\t0\t0\t0x0\t-\n"
    "wine.x\t0x80004005\t0\t0\t0\t0x0\t-\tWine rejects it\n";
constexpr char kUnmarkedTable[] =
    "path\thresult\tmaterials\tvertices\tfaces\tfvf\ttextures\n"
    "ok.x\t0x00000000\t1\t24\t12\t0x112\tnull\n"
    "bad.x\t0x80004005\t0\t0\t0\t0x0\t-\n";

INSTANTIATE_TEST_SUITE_P(
    Tables, ReferenceRows,
    testing::Values(ReferenceCase{"MarkedUnderWine", kMarkedTable, true, {true, true, true}},
                    ReferenceCase{"MarkedElsewhere", kMarkedTable, false, {true, true, false}},
                    ReferenceCase{"UnmarkedUnderWine", kUnmarkedTable, true, {true, true}},
                    ReferenceCase{"UnmarkedElsewhere", kUnmarkedTable, false, {true, false}}),
    [](const testing::TestParamInfo<ReferenceCase>& info) { return info.param.name; });

} // namespace
