// Puts back, when it goes, the shared objects that a run, a frame or a message changes: the
// camera rig, the console lines and clock, and the scene light.
#pragma once

#include <array>
#include <string>

#include "app/Graphics.h"
#include "camera/CameraRig.h"
#include "console/Engine.h"

class SharedStateGuard {
public:
    SharedStateGuard()
        : rig(g_cameraRig), lines(g_engine->lines), frameCount(g_engine->frameCount),
          lastTick(g_engine->lastTick), prevTick(g_engine->prevTick)
    {
        g_sceneLight = {};
    }
    ~SharedStateGuard()
    {
        g_cameraRig = rig;
        g_engine->lines = lines;
        g_engine->frameCount = frameCount;
        g_engine->lastTick = lastTick;
        g_engine->prevTick = prevTick;
        g_sceneLight = {};
    }
    SharedStateGuard(const SharedStateGuard&) = delete;
    SharedStateGuard& operator=(const SharedStateGuard&) = delete;

private:
    CameraRig rig;
    std::array<std::string, kConsoleLineCount> lines;
    int frameCount;
    DWORD lastTick;
    DWORD prevTick;
};
