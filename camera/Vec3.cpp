// Vec3 arithmetic and the spherical-to-Cartesian conversion the orbit camera places its eye with.
#include "camera/Vec3.h"

#include <cmath>

#include "camera/Angles.h"

Vec3& Vec3::add(const Vec3& v)
{
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
}

Vec3& Vec3::subtract(const Vec3& v)
{
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
}

Vec3 Vec3::scaled(double k) const
{
    return Vec3(x * k, y * k, z * k);
}

// kPi's ten decimals leave cos 90° at about -2.05e-10 rather than 0, so an eye on the equator
// sits a hair below it.
void Vec3::setSpherical(double azimuthDegrees, double polarDegrees, double radius)
{
    const double azimuth = degreesToRadians(azimuthDegrees);
    const double polar = degreesToRadians(polarDegrees);
    x = radius * std::sin(polar) * std::cos(azimuth);
    z = radius * std::sin(polar) * std::sin(azimuth);
    y = radius * std::cos(polar);
}
