// The spherical placement the orbit camera puts its eye with.
#include <gtest/gtest.h>

#include "camera/Vec3.h"

namespace {

struct SphericalCase {
    double azimuth, polar, radius;
    double x, y, z;
};

class SphericalPlacement : public testing::TestWithParam<SphericalCase> {};

TEST_P(SphericalPlacement, PutsThePointWhereTheAnglesSay)
{
    const SphericalCase c = GetParam();
    Vec3 v(7, 8, 9);
    v.setSpherical(c.azimuth, c.polar, c.radius);
    EXPECT_NEAR(v.x, c.x, 1e-8);
    EXPECT_NEAR(v.y, c.y, 1e-8);
    EXPECT_NEAR(v.z, c.z, 1e-8);
}

INSTANTIATE_TEST_SUITE_P(Vec3, SphericalPlacement, testing::Values(
    SphericalCase{0, 90, 0.01, 0.01, 0, 0},
    SphericalCase{90, 90, 5, 0, 0, 5},
    SphericalCase{180, 90, 2, -2, 0, 0},
    SphericalCase{-90, 90, 3, 0, 0, -3},
    SphericalCase{0, 180, 4, 0, -4, 0},
    SphericalCase{45, 90, -2, -1.4142135623730951, 0, -1.4142135623730951},
    SphericalCase{0, 0, 2.5, 0, 2.5, 0},
    SphericalCase{37, 0, 2.5, 0, 2.5, 0},
    SphericalCase{-250, 0, 2.5, 0, 2.5, 0}));

TEST(Vec3Spherical, EquatorSitsAHairBelowZeroBecauseOfTenDecimalPi)
{
    Vec3 v;
    v.setSpherical(0, 90, 0.01);
    EXPECT_NEAR(v.y, -2.0510e-12, 0.0005e-12);
}

}  // namespace
