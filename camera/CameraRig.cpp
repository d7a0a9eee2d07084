// The camera controller: console and camera-mode toggles, driving the active camera, and the
// view and projection sent to the device each frame.
#include "camera/CameraRig.h"

#include "app/Graphics.h"
#include "console/Engine.h"

namespace {

// π/3 (60°) held as its nearest float widened to double, so narrowing it for the projection
// loses nothing.
constexpr double kFieldOfView = 1.0471975803375244;
// Fixed at 4:3 rather than taken from the client area (634×455), so the picture is a little
// stretched.
constexpr float kAspectRatio = 4.0f / 3.0f;
constexpr float kNearPlane = 0.01f;
constexpr float kFarPlane = 100000.0f;

// True only on the first turn of a press; releasing the key for one turn re-arms the latch.
bool pressStarts(const KeyStates& keys, int scanCode, bool& latch)
{
    if (!isKeyDown(keys, scanCode)) {
        latch = false;
        return false;
    }
    if (latch)
        return false;
    latch = true;
    return true;
}

D3DXVECTOR3 narrowed(const Vec3& v)
{
    return D3DXVECTOR3(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
}

}  // namespace

CameraRig::CameraRig() : orbit(Vec3()), fov(kFieldOfView)
{
    eyeOffset = Vec3(0, 0, -1);
    up = Vec3(0, 1, 0);
    orbit.setTarget(Vec3(-100, 5, 300));
}

// Enter is looked at before the console gate, so the press that closes the console lets the
// rest of the turn run: V and the camera act in that very frame. A mode switch updates the newly
// active camera at once, before the frame's view is set.
void CameraRig::handleInput(const KeyStates& keys, DIMOUSESTATE mouse)
{
    if (pressStarts(keys, kKeyReturn, consoleKeyLatch))
        toggleConsole();
    if (consoleOpen)
        return;
    if (pressStarts(keys, kKeyV, modeKeyLatch))
        orbitMode = !orbitMode;

    if (orbitMode) {
        orbit.updateMouse(mouse.lX, mouse.lY, mouse.lZ, mouse.rgbButtons);
        orbit.updateKeys(keys);
    } else {
        free.update(mouse.lX, mouse.lY, mouse.lZ, mouse.rgbButtons, keys);
    }
}

// Without an Engine (it could not be allocated) the console still opens and closes, empty.
void CameraRig::toggleConsole()
{
    consoleOpen = !consoleOpen;
    if (!g_engine)
        return;
    if (consoleOpen)
        g_engine->openConsole();
    else
        g_engine->submitLine();
}

// Left-handed view with +y up. The sums are taken in double and only then narrowed to the
// floats Direct3D takes.
void CameraRig::applyView()
{
    Vec3 base;
    if (orbitMode) {
        eyeOffset = orbit.offset;
        lookOffset = Vec3();
        up = Vec3(0, 1, 0);
        base = orbit.target;
    } else {
        eyeOffset = free.eyeOffset;
        lookOffset = free.forward;
        up = free.up;
        base = free.position;
    }
    const D3DXVECTOR3 eye = narrowed(Vec3(eyeOffset).add(base));
    const D3DXVECTOR3 lookAt = narrowed(Vec3(lookOffset).add(base));
    const D3DXVECTOR3 upVector = narrowed(up);

    D3DXMATRIX matrix;
    D3DXMatrixLookAtLH(&matrix, &eye, &lookAt, &upVector);
    g_device->SetTransform(D3DTS_VIEW, &matrix);
    D3DXMatrixPerspectiveFovLH(&matrix, static_cast<float>(fov), kAspectRatio, kNearPlane,
                               kFarPlane);
    g_device->SetTransform(D3DTS_PROJECTION, &matrix);
}
