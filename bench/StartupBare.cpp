// Start-up, bare side: the same window and device, the start-up scene through D3DX, one frame.
#include <cstdio>

#include "bench/BenchSupport.h"

namespace {

constexpr char kStartupSceneFile[] = "objektumok\\haz\\map02.x";

} // namespace

int main()
{
    HWND window = createBareWindow();
    ComPtr<IDirect3D9> direct3d(Direct3DCreate9(D3D_SDK_VERSION));
    ComPtr<IDirect3DDevice9> device = createBareDevice(direct3d.get(), window);
    if (!device) {
        std::printf("error no device\n");
        return 1;
    }
    BareModel scene;
    if (!loadBare(device.get(), kStartupSceneFile, scene))
        std::printf("note the start-up scene did not load\n");
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);
    drawBareFrame(device.get(), {&scene});
    waitForDevice(device.get());
    const double elapsed = msSinceProcessStart();
    std::printf("startup_ms %.1f\n", elapsed);
    scene = BareModel{};
    device.reset();
    DestroyWindow(window);
    return 0;
}
