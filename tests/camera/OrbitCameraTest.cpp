// The orbit camera: mouse and wheel on the eye's sphere, keys moving the target.
#include <gtest/gtest.h>

#include <dinput.h>

#include <initializer_list>
#include <utility>

#include "camera/OrbitCamera.h"

namespace {

const Vec3 kStart(-100, 5, 300);
const unsigned char kNoButtons[4] = {};

class OrbitCameraTest : public testing::Test {
protected:
    void hold(std::initializer_list<int> scanCodes)
    {
        for (int code : scanCodes)
            keys[code] = 0x80;
    }

    // One driven frame, in the order the controller runs it.
    void frame(long dx = 0, long dy = 0, long dz = 0)
    {
        camera.updateMouse(dx, dy, dz, kNoButtons);
        camera.updateKeys(keys);
    }

    OrbitCamera camera{kStart};
    KeyStates keys = {};
};

void expectNear(const Vec3& actual, const Vec3& expected, double tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

struct PolarCase {
    long dy;
    double polar;
};

class PolarClamp : public OrbitCameraTest, public testing::WithParamInterface<PolarCase> {};

TEST_P(PolarClamp, StopsAtOneAndOneSeventyNineWithinTheSameUpdate)
{
    frame(0, GetParam().dy);
    EXPECT_EQ(camera.polar, GetParam().polar);
    Vec3 expected;
    expected.setSpherical(0, GetParam().polar, 0.01);
    expectNear(camera.offset, expected, 0);
}

INSTANTIATE_TEST_SUITE_P(OrbitCamera, PolarClamp, testing::Values(
    PolarCase{1000, 1}, PolarCase{895, 1}, PolarCase{880, 2},
    PolarCase{-1000, 179}, PolarCase{-895, 179}, PolarCase{-880, 178}));

struct KeyStep {
    const char* name;
    int key;
    Vec3 direction;   // unit direction of the step with the eye along +x of the target
};

class KeyStepAfterWheel : public OrbitCameraTest, public testing::WithParamInterface<KeyStep> {};

TEST_P(KeyStepAfterWheel, MovesTheTargetByTheWheeledRadiusTimesTheSpeed)
{
    frame(0, 0, 120);
    EXPECT_EQ(camera.radius, 0.01 + 120);
    hold({GetParam().key});
    frame();
    expectNear(Vec3(camera.target).subtract(kStart), GetParam().direction.scaled(120.01 * 50), 1e-5);

    const Vec3 before = camera.target;
    hold({DIK_LSHIFT});
    frame();
    expectNear(Vec3(camera.target).subtract(before), GetParam().direction.scaled(120.01 * 150),
               1e-5);
}

INSTANTIATE_TEST_SUITE_P(OrbitCamera, KeyStepAfterWheel, testing::Values(
    KeyStep{"W_Forward", DIK_W, {-1, 0, 0}},
    KeyStep{"S_Back", DIK_S, {1, 0, 0}},
    KeyStep{"D_Right", DIK_D, {0, 0, 1}},
    KeyStep{"A_Left", DIK_A, {0, 0, -1}},
    KeyStep{"Space_Up", DIK_SPACE, {0, 1, 0}},
    KeyStep{"LeftCtrl_Down", DIK_LCONTROL, {0, -1, 0}}),
    [](const testing::TestParamInfo<KeyStep>& info) { return info.param.name; });

TEST_F(OrbitCameraTest, LeftShiftAloneOnlyRaisesTheSpeed)
{
    frame();
    const Vec3 offset = camera.offset;
    hold({DIK_LSHIFT});
    frame();
    EXPECT_EQ(camera.moveSpeed, 150);
    expectNear(camera.target, kStart, 0);
    expectNear(camera.offset, offset, 0);

    keys[DIK_LSHIFT] = 0;
    frame();
    EXPECT_EQ(camera.moveSpeed, 50);
}

TEST_F(OrbitCameraTest, NegativeRadiusKeepsWAlongTheViewButSwapsSpaceAndCtrl)
{
    frame(0, 0, -1);   // radius -0.99: the eye sits on the -x side and looks along +x
    const std::pair<int, Vec3> steps[] = {
        {DIK_W, {49.5, 0, 0}}, {DIK_SPACE, {0, -49.5, 0}}, {DIK_LCONTROL, {0, 49.5, 0}}};
    for (const auto& [key, step] : steps) {
        const Vec3 before = camera.target;
        keys[key] = 0x80;
        frame();
        keys[key] = 0;
        expectNear(Vec3(camera.target).subtract(before), step, 1e-6);
    }
}

class OpposingKeys : public OrbitCameraTest,
                     public testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(OpposingKeys, HeldTogetherCancel)
{
    frame(30, -200, 7);   // tilted and pushed out, so every key has a non-zero step
    hold({GetParam().first, GetParam().second});
    frame();
    expectNear(camera.target, kStart, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(OrbitCamera, OpposingKeys, testing::Values(
    std::pair{DIK_W, DIK_S}, std::pair{DIK_A, DIK_D}, std::pair{DIK_SPACE, DIK_LCONTROL}));

}  // namespace
