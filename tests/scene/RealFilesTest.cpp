// Loading real .x files by other authors on a real Direct3D device under Wine: the repository's
// own selection, and the larger collection beside the repository when there is one.
#include <algorithm>
#include <fstream>
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
};

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

std::vector<ExpectedLoad> readExpectedLoads(const std::string& folder)
{
    std::vector<ExpectedLoad> rows;
    std::ifstream table(folder + "\\expected.tsv");
    std::string line;
    std::getline(table, line);   // the header
    while (std::getline(table, line)) {
        const std::vector<std::string> columns = split(line, '\t');
        if (columns.size() < 7)
            continue;
        std::string path = columns[0];
        std::replace(path.begin(), path.end(), '/', '\\');
        rows.push_back({path, static_cast<HRESULT>(std::stoul(columns[1], nullptr, 16)),
                        static_cast<DWORD>(std::stoul(columns[2])),
                        static_cast<DWORD>(std::stoul(columns[3])), split(columns[6], ';')});
    }
    return rows;
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

TEST_P(RealFiles, EveryFileLoadsAsTheReferenceRunOfTheLoaderSays)
{
    const std::vector<ExpectedLoad> rows = readExpectedLoads(dataFolder);
    ASSERT_FALSE(rows.empty());
    RealLoadsRecordedMessages platform;
    ModelRegistry registry;

    for (const ExpectedLoad& row : rows) {
        SCOPED_TRACE(row.path);
        callLog().clear();

        EXPECT_EQ(registry.loadByName(row.path), SUCCEEDED(row.result));

        const Model& entry = registry.models.at(row.path);
        EXPECT_EQ(entry.materialCount, row.materialCount);
        if (FAILED(row.result)) {
            EXPECT_FALSE(entry.mesh);
            EXPECT_TRUE(entry.textures.empty());
            EXPECT_EQ(callLog().calls(),
                      std::vector{messageBoxCall(row.path, cp1250(L"Nem találom az x filet!"))});
            continue;
        }
        ASSERT_TRUE(entry.mesh);
        EXPECT_EQ(entry.mesh->GetNumVertices(), row.vertexCount);
        EXPECT_EQ(entry.mesh->GetFVF(), kModelVertexFormat);
        expectDetailCoordinatesScaled(*entry.mesh.get());

        // Each named texture is either loaded or reported by its path; unnamed ones get none.
        for (size_t i = 0; i < row.textureNames.size() && i < entry.materialCount; ++i) {
            const std::string& name = row.textureNames[i];
            if (name == "null") {
                EXPECT_FALSE(entry.textures[i]);
                EXPECT_FALSE(entry.detailTextures[i]);
            } else if (!entry.textures[i]) {
                const std::string report = messageBoxCall(
                    directoryOf(row.path) + name, cp1250(L"Nincs meg a textúra file! :("));
                EXPECT_NE(std::find(callLog().calls().begin(), callLog().calls().end(), report),
                          callLog().calls().end())
                    << "no message for " << name;
            }
        }
    }
    EXPECT_EQ(registry.models.size(), rows.size());
}

INSTANTIATE_TEST_SUITE_P(
    Collections, RealFiles,
    testing::Values(Collection{"Bundled", "tests\\data\\x", false},
                    Collection{"SharedBesideTheRepository", "shared\\testdata\\x", true}),
    [](const testing::TestParamInfo<Collection>& info) { return info.param.name; });

} // namespace
