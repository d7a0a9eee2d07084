// Drawing a model: the device calls per instance and material, and the world matrix.
#include "tests/scene/SceneFixture.h"

#include <cstring>
#include <numbers>
#include <vector>

namespace {

constexpr double kQuarterTurn = std::numbers::pi / 2;

const std::vector<std::string> kInstanceSetUp = {
    "SetTransform(256)",
    "SetTextureStageState(0, 1, 4)", "SetTextureStageState(0, 2, 2)",
    "SetTextureStageState(0, 3, 0)", "SetTextureStageState(1, 1, 5)",
    "SetTextureStageState(1, 2, 2)", "SetTextureStageState(1, 3, 1)",
};

// The log with each SetMaterial shortened to its name; materials are compared on their own.
std::vector<std::string> callsWithoutMaterialDetails()
{
    std::vector<std::string> calls = callLog().calls();
    for (std::string& call : calls) {
        if (call.starts_with("SetMaterial("))
            call = "SetMaterial";
    }
    return calls;
}

class ModelDrawing : public SceneTest {};

TEST_F(ModelDrawing, SetsWorldAndStagesThenEachMaterialItsTexturesAndSubset)
{
    MeshFile file;
    file.materials = {FakeMaterial{.textureFile = "wall.bmp"}, FakeMaterial{}};
    fakes.meshFiles["m.x"] = file;
    Model model = loaded("m.x");
    callLog().clear();

    model.draw();

    std::vector<std::string> expected = kInstanceSetUp;
    expected.insert(expected.end(), {
        "SetMaterial", "SetTexture(0, texture:wall.bmp)",
        "SetTexture(1, texture:objektumok\\haz\\Detail.bmp)", "DrawSubset(mesh:m.x:clone, 0)",
        "SetMaterial", "SetTexture(0, null)", "SetTexture(1, null)",
        "DrawSubset(mesh:m.x:clone, 1)"});
    EXPECT_EQ(callsWithoutMaterialDetails(), expected);
    ASSERT_EQ(fakes.device().materials.size(), 2u);
    EXPECT_EQ(std::memcmp(&fakes.device().materials[1], &model.materials[1], sizeof(D3DMATERIAL9)),
              0);
}

TEST_F(ModelDrawing, FreshModelSetsUpItsInstanceAndDrawsNoSubset)
{
    Model model;

    model.draw();

    EXPECT_EQ(callLog().calls(), kInstanceSetUp);
}

TEST_F(ModelDrawing, ModelWithMaterialsButNoMeshDrawsNoSubset)
{
    fakes.meshFiles["m.x"].cloneResult = E_OUTOFMEMORY;
    Model model = loaded("m.x");
    callLog().clear();

    model.draw();

    EXPECT_EQ(callLog().calls(), kInstanceSetUp);
}

TEST_F(ModelDrawing, InstancesAreDrawnInByteOrderOfTheirNames)
{
    Model model;
    model.addInstance(Vec3(2, 0, 0), Vec3(), "a");
    model.addInstance(Vec3(1, 0, 0), Vec3(), "B");

    model.draw();

    std::vector<float> drawnAt;
    for (const auto& [state, matrix] : fakes.device().transformHistory)
        drawnAt.push_back(matrix._41);
    EXPECT_EQ(drawnAt, std::vector({1.0f, 2.0f, 0.0f}));
}

struct PlacementCase {
    Vec3 position;
    Vec3 rotation;
    D3DXVECTOR3 point;
    D3DXVECTOR3 expected;
};

class InstancePlacement : public ModelDrawing,
                          public testing::WithParamInterface<PlacementCase> {};

TEST_P(InstancePlacement, TurnsAboutZThenYThenXAndThenMoves)
{
    const PlacementCase& row = GetParam();
    Model model;
    model.addInstance(row.position, row.rotation, "def");

    model.draw();

    const D3DXMATRIX world(fakes.device().transforms.at(D3DTS_WORLD));
    D3DXVECTOR3 placed;
    D3DXVec3TransformCoord(&placed, &row.point, &world);
    EXPECT_NEAR(placed.x, row.expected.x, 1e-5);
    EXPECT_NEAR(placed.y, row.expected.y, 1e-5);
    EXPECT_NEAR(placed.z, row.expected.z, 1e-5);
    EXPECT_EQ(std::memcmp(&model.instances.at("def").world, &world, sizeof world), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rotations, InstancePlacement,
    testing::Values(
        PlacementCase{{10, 0, 0}, {kQuarterTurn, kQuarterTurn, 0}, {1, 0, 0}, {10, 1, 0}},
        PlacementCase{{0, 0, 0}, {kQuarterTurn, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        PlacementCase{{0, 0, 0}, {kQuarterTurn, 0, kQuarterTurn}, {1, 0, 0}, {0, 0, 1}},
        PlacementCase{{3, -2, 5}, {0.3, 1.1, -0.7}, {0, 0, 0}, {3, -2, 5}}));

} // namespace
