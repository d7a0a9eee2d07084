// The free-flight camera: the mouse sets turn rates and W/S a throttle that persist.
#pragma once

#include "camera/Basis3.h"
#include "camera/Keys.h"
#include "camera/Vec3.h"

extern Basis3 g_freeBasis;

class FreeCamera {
public:
    FreeCamera() = default;

    void update(long dx, long dy, long dz, const unsigned char (&buttons)[4],
                const KeyStates& keys);

    double mouseScaleX = 0.01;
    double mouseScaleY = 0.01;
    double rollStep = 0.1;      // degrees per frame while Q or E is held
    double yawRate = 0;         // degrees per frame
    double pitchRate = 0;       // degrees per frame
    double speed = 0;           // world units per frame along forward
    Vec3 eyeOffset;
    Vec3 forward;
    Vec3 up;
    Vec3 position;
};
