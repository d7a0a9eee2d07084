// The orbit camera: mouse and wheel move the eye over a sphere, the keys carry the target.
#include "camera/OrbitCamera.h"

OrbitCamera::OrbitCamera(const Vec3& target) : target(target) {}

OrbitCamera& OrbitCamera::setTarget(const Vec3& newTarget)
{
    target = newTarget;
    return *this;
}

// Runs in full even without motion, so the offset is valid from the first driven frame. Right
// motion lowers the azimuth, which turns the view right; the wheel adds its counts unscaled, and
// the radius may pass zero, which puts the eye on the far side of the target.
void OrbitCamera::updateMouse(long dx, long dy, long dz, const unsigned char (&)[4])
{
    azimuth -= static_cast<double>(dx) / mouseDivisorX;
    polar -= static_cast<double>(dy) / mouseDivisorY;
    radius += static_cast<double>(dz);
    if (polar < 1)
        polar = 1;
    if (polar > 179)
        polar = 179;
    // The result passes through the shared scratch vector before it lands in offset.
    g_orbitScratch.setSpherical(azimuth, polar, radius);
    offset = g_orbitScratch;
}

// Steps are per frame, not per unit of time; each is |radius| × moveSpeed long. The offset points
// from the target to the eye, so going forward means subtracting it.
void OrbitCamera::updateKeys(const KeyStates& keys)
{
    moveSpeed = isKeyDown(keys, kKeyLeftShift) ? 150 : 50;
    const Vec3 step = offset.scaled(moveSpeed);
    const Vec3 strafeStep = Vec3(offset.z, offset.y, -offset.x).scaled(moveSpeed);
    const double rise = radius * moveSpeed;

    if (isKeyDown(keys, kKeyW))
        target.subtract(step);
    if (isKeyDown(keys, kKeyS))
        target.add(step);
    if (isKeyDown(keys, kKeyD))
        target.subtract(strafeStep);
    if (isKeyDown(keys, kKeyA))
        target.add(strafeStep);
    if (isKeyDown(keys, kKeySpace))
        target.y += rise;
    if (isKeyDown(keys, kKeyLeftControl))
        target.y -= rise;
}
