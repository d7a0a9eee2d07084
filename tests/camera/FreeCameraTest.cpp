// The free-flight camera: persistent turn rates and throttle, and where they take the eye.
#include <gtest/gtest.h>

#include <dinput.h>

#include <cmath>
#include <string>

#include "camera/Angles.h"
#include "camera/FreeCamera.h"

namespace {

const unsigned char kNoButtons[4] = {};

class FreeCameraTest : public testing::Test {
protected:
    void SetUp() override { g_freeBasis.reset(); }

    void frames(int count, long dx = 0, long dy = 0)
    {
        for (int i = 0; i < count; ++i)
            camera.update(dx, dy, 0, kNoButtons, keys);
    }

    FreeCamera camera;
    KeyStates keys = {};
};

void expectNear(const Vec3& actual, const Vec3& expected, double tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST_F(FreeCameraTest, HoldingWIsAThrottleThatKeepsTheCameraMoving)
{
    keys[DIK_W] = 0x80;
    frames(100);
    EXPECT_NEAR(camera.speed, 1.0, 1e-9);
    EXPECT_NEAR(camera.position.x, 50.5, 1e-6);   // 0.01 + 0.02 + ... + 1.00

    keys[DIK_W] = 0;
    const Vec3 before = camera.position;
    frames(1);
    expectNear(Vec3(camera.position).subtract(before), Vec3(1, 0, 0), 1e-9);
}

TEST_F(FreeCameraTest, TheAdvanceFollowsThisFramesTurnedForward)
{
    keys[DIK_W] = 0x80;
    frames(1, 9000);   // a 90-degree yaw in one frame
    expectNear(camera.position, Vec3(0, 0, -0.01), 1e-9);
}

TEST_F(FreeCameraTest, OppositeMouseMotionStopsTheTurn)
{
    frames(1, 100);
    frames(9);
    const double turned = degreesToRadians(10);
    expectNear(camera.forward, Vec3(std::cos(turned), 0, -std::sin(turned)), 1e-5);

    frames(1, -100);
    frames(20);
    expectNear(camera.forward, Vec3(std::cos(turned), 0, -std::sin(turned)), 1e-5);
}

struct SteerCase {
    const char* name;
    long dx, dy;
    int key;
    Vec3 forward, up;   // after one frame
};

class Steering : public FreeCameraTest, public testing::WithParamInterface<SteerCase> {};

TEST_P(Steering, TurnsTheViewTheWayTheUserPushes)
{
    const SteerCase c = GetParam();
    if (c.key)
        keys[c.key] = 0x80;
    frames(1, c.dx, c.dy);
    expectNear(camera.forward, c.forward, 1e-6);
    expectNear(camera.up, c.up, 1e-6);
}

const double kOne = degreesToRadians(1);
const double kRollStep = degreesToRadians(0.1);

INSTANTIATE_TEST_SUITE_P(FreeCamera, Steering, testing::Values(
    SteerCase{"RightTurnsTowardsMinusZ", 100, 0, 0,
              {std::cos(kOne), 0, -std::sin(kOne)}, {0, 1, 0}},
    SteerCase{"AwayPitchesUp", 0, -100, 0,
              {std::cos(kOne), std::sin(kOne), 0}, {-std::sin(kOne), std::cos(kOne), 0}},
    SteerCase{"QRollsUpTowardsPlusZ", 0, 0, DIK_Q,
              {1, 0, 0}, {0, std::cos(kRollStep), std::sin(kRollStep)}},
    SteerCase{"ERollsUpTowardsMinusZ", 0, 0, DIK_E,
              {1, 0, 0}, {0, std::cos(kRollStep), -std::sin(kRollStep)}},
    SteerCase{"PitchesBeforeItYaws", 9000, -9000, 0, {0, 0, -1}, {-1, 0, 0}}),
    [](const testing::TestParamInfo<SteerCase>& info) { return info.param.name; });

TEST_F(FreeCameraTest, NineHundredFramesOfQRollNinetyDegrees)
{
    keys[DIK_Q] = 0x80;
    frames(900);
    expectNear(camera.up, Vec3(0, 0, 1), 1e-4);
    expectNear(camera.forward, Vec3(1, 0, 0), 1e-6);
}

// One diagonal flick leaves pitch and yaw turning every frame. Both turn axes drift in length
// then, and a turn that took its axis as stored fed that drift back until the frame was NaN
// (for 200 counts within 12,000 frames, about a minute of flying).
class SteadyTwoAxisTurn : public FreeCameraTest, public testing::WithParamInterface<long> {};

TEST_P(SteadyTwoAxisTurn, KeepsTheFrameFiniteAndOfUnitLengthForSixtyThousandFrames)
{
    frames(1, GetParam(), -GetParam());
    frames(60000);
    for (const Float3& axis : {g_freeBasis.forward, g_freeBasis.side, g_freeBasis.up}) {
        const double length = std::sqrt(double(axis.x) * axis.x + double(axis.y) * axis.y +
                                        double(axis.z) * axis.z);
        ASSERT_TRUE(std::isfinite(length));
        EXPECT_NEAR(length, 1.0, 1e-4);
    }
    EXPECT_TRUE(std::isfinite(camera.position.x + camera.position.y + camera.position.z));
}

INSTANTIATE_TEST_SUITE_P(FlickCounts, SteadyTwoAxisTurn, testing::Values(100, 200, 1000),
    [](const testing::TestParamInfo<long>& info) { return std::to_string(info.param); });

}  // namespace
