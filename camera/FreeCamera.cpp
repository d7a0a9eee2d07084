// The free-flight camera: rates and throttle persist from frame to frame, like a craft's controls.
#include "camera/FreeCamera.h"

namespace {

Vec3 widened(const Float3& v)
{
    return Vec3(v.x, v.y, v.z);
}

}  // namespace

// Nothing damps the rates or the speed: the camera keeps turning and moving until opposite input
// cancels them. Turns run roll, pitch, yaw, and the advance uses this frame's turned forward.
void FreeCamera::update(long dx, long dy, long, const unsigned char (&)[4], const KeyStates& keys)
{
    yawRate += static_cast<double>(dx) * mouseScaleX;
    pitchRate -= static_cast<double>(dy) * mouseScaleY;
    if (isKeyDown(keys, kKeyQ))
        g_freeBasis.rotateAboutForward(static_cast<float>(rollStep));
    if (isKeyDown(keys, kKeyE))
        g_freeBasis.rotateAboutForward(static_cast<float>(-rollStep));
    if (isKeyDown(keys, kKeyW))
        speed += 0.01;
    if (isKeyDown(keys, kKeyS))
        speed -= 0.01;
    g_freeBasis.rotateAboutSide(static_cast<float>(pitchRate));
    g_freeBasis.rotateAboutUp(static_cast<float>(yawRate));

    eyeOffset = Vec3();
    forward = widened(g_freeBasis.forward);
    up = widened(g_freeBasis.up);
    position.add(forward.scaled(speed));
}
