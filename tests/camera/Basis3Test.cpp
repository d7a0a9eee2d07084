// The free camera's frame: sense of each turn and that turning keeps it orthonormal.
#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "camera/Basis3.h"

namespace {

using Turn = void (Basis3::*)(float);

Basis3 startFrame()
{
    Basis3 basis;
    basis.reset();
    return basis;
}

void expectNear(const Float3& actual, const Float3& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

double dot(const Float3& a, const Float3& b)
{
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

struct QuarterTurnCase {
    const char* name;
    Turn turn;
    Float3 forward, side, up;
};

class QuarterTurn : public testing::TestWithParam<QuarterTurnCase> {};

TEST_P(QuarterTurn, TurnsTheOtherTwoAxesTheDocumentedWay)
{
    const QuarterTurnCase c = GetParam();
    Basis3 basis = startFrame();
    (basis.*c.turn)(90);
    expectNear(basis.forward, c.forward, 1e-6f);
    expectNear(basis.side, c.side, 1e-6f);
    expectNear(basis.up, c.up, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Basis3, QuarterTurn, testing::Values(
    QuarterTurnCase{"AboutUp", &Basis3::rotateAboutUp, {0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
    QuarterTurnCase{"AboutSide", &Basis3::rotateAboutSide, {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}},
    QuarterTurnCase{"AboutForward", &Basis3::rotateAboutForward, {1, 0, 0}, {0, -1, 0}, {0, 0, 1}}),
    [](const testing::TestParamInfo<QuarterTurnCase>& info) { return info.param.name; });

class EachAxis : public testing::TestWithParam<Turn> {};

TEST_P(EachAxis, FourQuarterTurnsReturnTheFrame)
{
    Basis3 basis = startFrame();
    for (int i = 0; i < 4; ++i)
        (basis.*GetParam())(90);
    const Basis3 start = startFrame();
    expectNear(basis.forward, start.forward, 1e-6f);
    expectNear(basis.side, start.side, 1e-6f);
    expectNear(basis.up, start.up, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Basis3, EachAxis, testing::Values(
    &Basis3::rotateAboutUp, &Basis3::rotateAboutSide, &Basis3::rotateAboutForward));

// Turns of up to 2 degrees about axes picked at random; the turned axis itself is never touched.
TEST(Basis3Drift, ThousandsOfSmallRandomTurnsKeepTheFrameOrthonormalAndTheAxisUntouched)
{
    const std::pair<Turn, Float3 Basis3::*> turns[] = {{&Basis3::rotateAboutUp, &Basis3::up},
                                                       {&Basis3::rotateAboutSide, &Basis3::side},
                                                       {&Basis3::rotateAboutForward, &Basis3::forward}};
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> pickTurn(0, 2);
    std::uniform_real_distribution<float> pickAngle(-2, 2);

    Basis3 basis = startFrame();
    for (int i = 0; i < 5000; ++i) {
        const auto [turn, axis] = turns[pickTurn(random)];
        const Float3 axisBefore = basis.*axis;
        (basis.*turn)(pickAngle(random));
        ASSERT_TRUE(axisBefore.x == (basis.*axis).x && axisBefore.y == (basis.*axis).y &&
                    axisBefore.z == (basis.*axis).z);
    }
    EXPECT_NEAR(dot(basis.forward, basis.forward), 1, 1e-5);
    EXPECT_NEAR(dot(basis.side, basis.side), 1, 1e-5);
    EXPECT_NEAR(dot(basis.up, basis.up), 1, 1e-5);
    EXPECT_NEAR(dot(basis.forward, basis.side), 0, 1e-5);
    EXPECT_NEAR(dot(basis.forward, basis.up), 0, 1e-5);
    EXPECT_NEAR(dot(basis.side, basis.up), 0, 1e-5);
}

}  // namespace
