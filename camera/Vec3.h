// A double-precision 3-vector with value semantics; +y is up.
#pragma once

struct Vec3 {
    double x = 0;
    double y = 0;
    double z = 0;

    Vec3() = default;
    Vec3(double x, double y, double z) : x(x), y(y), z(z) {}

    Vec3& add(const Vec3& v);
    Vec3& subtract(const Vec3& v);
    Vec3 scaled(double k) const;

    // Polar angle from +y, azimuth about y from +x towards +z; both in degrees.
    void setSpherical(double azimuthDegrees, double polarDegrees, double radius);
};
