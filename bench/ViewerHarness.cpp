// The viewer's start-up steps and idle turn outside its loop, and the bare frame beside them.
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

void bareRegistryFrame(const D3DXMATRIX& view, const D3DXMATRIX& projection)
{
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBareClearColor, 1.0f, 0);
    if (SUCCEEDED(g_device->BeginScene())) {
        g_device->SetTransform(D3DTS_VIEW, &view);
        g_device->SetTransform(D3DTS_PROJECTION, &projection);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        g_device->SetTransform(D3DTS_WORLD, &identity);
        setBareStages(g_device);
        for (const auto& [name, model] : g_engine->registry.models)
            drawSubsets(g_device, model);
        g_device->EndScene();
    }
    g_device->Present(nullptr, nullptr, nullptr, nullptr);
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
