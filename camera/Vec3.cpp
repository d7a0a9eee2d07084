#include "camera/Vec3.h"
Vec3& Vec3::add(const Vec3&) { return *this; }
Vec3& Vec3::subtract(const Vec3&) { return *this; }
Vec3 Vec3::scaled(double) const { return *this; }
void Vec3::setSpherical(double, double, double) {}
