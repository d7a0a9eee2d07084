// The camera controller: routes input to the active camera, owns the camera and console modes,
// and sets the view and projection every frame.
#pragma once

#include <dinput.h>

#include "camera/FreeCamera.h"
#include "camera/Keys.h"
#include "camera/OrbitCamera.h"
#include "camera/Vec3.h"

class CameraRig {
public:
    CameraRig();

    void handleInput(const KeyStates& keys, DIMOUSESTATE mouse);

    // Sets the device's view and projection transforms from the active camera.
    void applyView();

    Vec3 eyeOffset;
    Vec3 lookOffset;
    Vec3 up;
    OrbitCamera orbit;
    FreeCamera free;
    double fov;
    bool orbitMode = true;
    bool consoleOpen = false;
    bool modeKeyLatch = false;      // V has toggled the mode and not been released since
    bool consoleKeyLatch = false;   // Enter has toggled the console and not been released since

private:
    // Opening calls Engine::openConsole, closing Engine::submitLine.
    void toggleConsole();
};

extern CameraRig g_cameraRig;
