#include "camera/OrbitCamera.h"
OrbitCamera::OrbitCamera(const Vec3& target) : target(target) {}
OrbitCamera& OrbitCamera::setTarget(const Vec3&) { return *this; }
void OrbitCamera::updateMouse(long, long, long, const unsigned char (&)[4]) {}
void OrbitCamera::updateKeys(const KeyStates&) {}
