// Frame time on the sample scene: the viewer's idle turn against a bare loop that draws the same
// subsets on the same device with the same transforms, textures and stage states.
#include <cstdio>

#include "app/Graphics.h"
#include "app/Input.h"
#include "bench/BenchSupport.h"
#include "bench/ViewerHarness.h"

namespace {

constexpr int kWarmUpFrames = 100;
constexpr int kRounds = 20;
constexpr int kFramesPerRound = 100;   // each side: kRounds × kFramesPerRound frames in all

} // namespace

int main()
{
    QuietPlatform quiet;
    setPlatform(&quiet);
    HWND window = startViewer();
    if (!window)
        return 1;
    warmUp(kWarmUpFrames);
    waitForDevice(g_device);
    D3DXMATRIX view, projection;
    g_device->GetTransform(D3DTS_VIEW, &view);
    g_device->GetTransform(D3DTS_PROJECTION, &projection);
    auto bareTurn = [&] { bareRegistryFrame(view, projection); };

    // Short rounds take turns: the machine's speed wanders over seconds, and both sides should
    // see the same of it.
    double viewerMs = 0, bareMs = 0;
    for (int round = 0; round < kRounds; ++round) {
        viewerMs += meanTurnMs(g_device, kFramesPerRound, idleTurn) / kRounds;
        bareMs += meanTurnMs(g_device, kFramesPerRound, bareTurn) / kRounds;
    }
    // The input poll alone, to tell its share of the difference from the text's.
    const double pollMs = meanTurnMs(g_device, kRounds * kFramesPerRound, PollInput);
    std::printf("frames %d\n", kRounds * kFramesPerRound);
    std::printf("frame_viewer_ms %.4f\n", viewerMs);
    std::printf("frame_bare_ms %.4f\n", bareMs);
    std::printf("frame_poll_ms %.4f\n", pollMs);
    if (!cameraWasDriven())
        std::printf("note the input poll did not reach the camera\n");
    reportMessages(quiet);
    stopViewer(window);
    setPlatform(nullptr);
    return 0;
}
