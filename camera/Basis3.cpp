// The free camera's frame and its turns about its own axes (Rodrigues' formula).
#include "camera/Basis3.h"

#include <cmath>

#include "camera/Angles.h"

namespace {

struct Matrix3 {
    double m[3][3];
};

// The axis is normalised here, on a double copy. Once two axes turn every frame their stored
// lengths drift by rounding, and Rodrigues' formula about an axis that is not of unit length
// also stretches the vectors it turns: the frame would feed its own error back until it ended
// in NaN. The stored vectors are left as they are.
Matrix3 axisAngleRotation(const Float3& axis, float degrees)
{
    const double theta = degreesToRadians(degrees);
    const double cs = std::cos(theta);
    const double sn = std::sin(theta);
    const double t = 1.0 - cs;
    const double length = std::sqrt(double(axis.x) * axis.x + double(axis.y) * axis.y +
                                    double(axis.z) * axis.z);
    const double ux = axis.x / length, uy = axis.y / length, uz = axis.z / length;
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
