// The viewer's start-up steps and idle turn outside its loop, and what bare turns borrow of it.
#include "bench/ViewerHarness.h"

#include <cstdio>

#include "app/Graphics.h"
#include "app/Input.h"
#include "app/Shell.h"
#include "bench/BenchSupport.h"
#include "camera/CameraRig.h"
#include "console/Engine.h"

HWND startViewer()
{
    platform().showCursor(FALSE);
    HINSTANCE module = platform().moduleHandle();
    RegisterWindowClass(module);
    HWND window = CreateMainWindow(module);
    if (!g_engine || !StartUp(module, window)) {
        std::printf("error the viewer did not start\n");
        return nullptr;
    }
    return window;
}

void idleTurn()
{
    PollInput();
    RenderFrame();
}

void warmUp(int frames)
{
    for (int i = 0; i < frames; ++i) {
        pumpMessages();
        idleTurn();
    }
}

bool cameraWasDriven()
{
    const Vec3& offset = g_cameraRig.orbit.offset;
    return offset.x != 0 || offset.y != 0 || offset.z != 0;
}

BareSession viewerSession()
{
    BareSession session;
    session.device = g_device;
    session.font = g_engine->font;
    session.keyboard = g_keyboard;
    session.mouse = g_mouse;
    return session;
}

std::vector<const Model*> registryModels()
{
    std::vector<const Model*> models;
    for (const auto& [name, model] : g_engine->registry.models)
        models.push_back(&model);
    return models;
}

void stopViewer(HWND window)
{
    DestroyWindow(window);
    g_engine->releaseDeviceResources();
    ReleaseInterfaces();
    platform().unregisterClass(kWindowClassName, platform().moduleHandle());
    platform().showCursor(TRUE);
}

void reportMessages(const QuietPlatform& quiet)
{
    if (quiet.messageBoxes)
        std::printf("messages %d %s\n", quiet.messageBoxes, quiet.lastMessage.c_str());
}
