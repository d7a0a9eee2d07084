// Start-up, viewer side: from process creation to the first presented frame of RunViewer's own
// start-up steps followed by one idle turn.
#include <cstdio>

#include "app/Graphics.h"
#include "bench/BenchSupport.h"
#include "bench/ViewerHarness.h"

int main()
{
    QuietPlatform quiet;
    setPlatform(&quiet);
    HWND window = startViewer();
    if (!window)
        return 1;
    idleTurn();
    waitForDevice(g_device);
    const double elapsed = msSinceProcessStart();
    std::printf("startup_ms %.1f\n", elapsed);
    if (!cameraWasDriven())
        std::printf("note the input poll did not reach the camera\n");
    reportMessages(quiet);
    stopViewer(window);
    setPlatform(nullptr);
    return 0;
}
