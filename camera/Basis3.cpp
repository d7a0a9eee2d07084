// The free camera's frame and its turns about its own axes (Rodrigues' formula).
#include "camera/Basis3.h"

#include <cmath>

#include "camera/Angles.h"

namespace {

struct Matrix3 {
    double m[3][3];
};

// The axis is used as stored, not normalised, and nothing ever renormalises the frame: rounding in
// its length leaks into the turned vectors. Turns of a few degrees a frame keep that drift tiny;
// turns of tens of degrees amplify it until the frame shrinks away.
Matrix3 axisAngleRotation(const Float3& axis, float degrees)
{
    const double theta = degreesToRadians(degrees);
    const double cs = std::cos(theta);
    const double sn = std::sin(theta);
    const double t = 1.0 - cs;
    const double ux = axis.x, uy = axis.y, uz = axis.z;
    return {{{t * ux * ux + cs, t * ux * uy - sn * uz, t * ux * uz + sn * uy},
             {t * ux * uy + sn * uz, t * uy * uy + cs, t * uy * uz - sn * ux},
             {t * ux * uz - sn * uy, t * uy * uz + sn * ux, t * uz * uz + cs}}};
}

// Worked in double; only the stored result is narrowed to float.
void turn(Float3& v, const Matrix3& r)
{
    const double vx = v.x, vy = v.y, vz = v.z;
    v.x = static_cast<float>(r.m[0][0] * vx + r.m[0][1] * vy + r.m[0][2] * vz);
    v.y = static_cast<float>(r.m[1][0] * vx + r.m[1][1] * vy + r.m[1][2] * vz);
    v.z = static_cast<float>(r.m[2][0] * vx + r.m[2][1] * vy + r.m[2][2] * vz);
}

void turnPair(const Float3& axis, float degrees, Float3& first, Float3& second)
{
    const Matrix3 rotation = axisAngleRotation(axis, degrees);
    turn(first, rotation);
    turn(second, rotation);
}

}  // namespace

void Basis3::reset()
{
    forward = {1, 0, 0};
    side = {0, 0, 1};
    up = {0, 1, 0};
}

void Basis3::rotateAboutForward(float degrees)
{
    turnPair(forward, degrees, side, up);
}

void Basis3::rotateAboutSide(float degrees)
{
    turnPair(side, degrees, forward, up);
}

void Basis3::rotateAboutUp(float degrees)
{
    turnPair(up, degrees, forward, side);
}
