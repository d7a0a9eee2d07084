// Frame time on the sample scene: the viewer's idle turn against a bare turn that makes the same
// calls on the same device, font and input devices: the input reads, the camera, the light, the
// model's world matrix, stage states and subsets, the HUD text.
#include <cstdio>
#include <vector>

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
    BareSession session = viewerSession();
    const std::vector<const Model*> models = registryModels();
    auto bare = [&] { bareTurn(session, models); };

    // Short rounds take turns, each side going first in every other round: the machine's speed
    // wanders over seconds, and both sides should see the same of it. Then the input poll alone,
    // the viewer's and the bare one, in rounds the same way.
    double viewerMs = 0, bareMs = 0, pollMs = 0, barePollMs = 0;
    auto addRound = [](double& meanMs, auto turn) {
        meanMs += meanTurnMs(g_device, kFramesPerRound, turn) / kRounds;
    };
    auto barePoll = [&] { readBareInput(session); };
    for (int round = 0; round < kRounds; ++round)
        takeTurns(round, [&] { addRound(viewerMs, idleTurn); }, [&] { addRound(bareMs, bare); });
    for (int round = 0; round < kRounds; ++round)
        takeTurns(round, [&] { addRound(pollMs, PollInput); },
                  [&] { addRound(barePollMs, barePoll); });
    std::printf("frames %d\n", kRounds * kFramesPerRound);
    std::printf("frame_viewer_ms %.4f\n", viewerMs);
    std::printf("frame_bare_ms %.4f\n", bareMs);
    std::printf("frame_poll_ms %.4f\n", pollMs);
    std::printf("frame_bare_poll_ms %.4f\n", barePollMs);
    if (!cameraWasDriven())
        std::printf("note the input poll did not reach the camera\n");
    reportMessages(quiet);
    stopViewer(window);
    setPlatform(nullptr);
    return 0;
}
