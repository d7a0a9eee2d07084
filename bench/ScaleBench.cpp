// Frame time with 1, 10, 100 and 1,000 copies of the cube, each loaded under its own name; the
// cost of one more copy (one more draw call) should stay the same as copies are added.
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/Graphics.h"
#include "bench/BenchSupport.h"
#include "bench/ViewerHarness.h"
#include "console/Engine.h"

namespace {

constexpr int kCopyCounts[] = {1, 10, 100, 1000};
constexpr int kSets = sizeof kCopyCounts / sizeof kCopyCounts[0];
constexpr int kWarmUpFrames = 50;
constexpr int kRounds = 40;
constexpr int kFramesPerRound = 100;   // each count and side: kRounds × kFramesPerRound frames

using ModelMap = std::map<std::string, Model>;

// Names the registry keeps apart that all lead to the same file: bit k of `copy` picks "./" or
// ".\" for the k-th of ten leading steps, so a thousand names stay well inside MAX_PATH.
std::string copyName(int copy)
{
    std::string name;
    for (int bit = 0; bit < 10; ++bit)
        name += (copy >> bit & 1) ? "./" : ".\\";
    return name + kDefaultModelFile;
}

ModelMap loadCopies(int copies)
{
    ModelRegistry registry;
    for (int copy = 0; copy < copies; ++copy)
        registry.loadByName(copyName(copy));
    return std::move(registry.models);
}

} // namespace

int main()
{
    QuietPlatform quiet;
    setPlatform(&quiet);
    HWND window = startViewer();
    if (!window)
        return 1;
    idleTurn();
    BareSession session = viewerSession();

    // Every count stays loaded and takes its turn in the viewer's registry (a swap of maps), so
    // that the counts, like the two sides, share whatever the machine's speed does meanwhile.
    g_engine->registry.models.clear();
    ModelMap sets[kSets];
    for (int set = 0; set < kSets; ++set) {
        sets[set] = loadCopies(kCopyCounts[set]);
        std::swap(g_engine->registry.models, sets[set]);
        warmUp(kWarmUpFrames);
        std::swap(g_engine->registry.models, sets[set]);
    }
    // One mean a round for each count and side, each side going first in every other round.
    // Their medians leave out the rounds a hiccup of the machine spoiled: one more draw call
    // costs a few microseconds, and a single spoiled round would swamp that.
    std::vector<double> viewerMs[kSets], bareMs[kSets];
    for (int round = 0; round < kRounds; ++round) {
        for (int set = 0; set < kSets; ++set) {
            std::swap(g_engine->registry.models, sets[set]);
            const std::vector<const Model*> models = registryModels();
            auto timeViewer = [&] {
                viewerMs[set].push_back(meanTurnMs(g_device, kFramesPerRound, idleTurn));
            };
            auto timeBare = [&] {
                bareMs[set].push_back(
                    meanTurnMs(g_device, kFramesPerRound, [&] { bareTurn(session, models); }));
            };
            takeTurns(round, timeViewer, timeBare);
            std::swap(g_engine->registry.models, sets[set]);
        }
    }
    for (int set = 0; set < kSets; ++set) {
        const int copies = kCopyCounts[set];
        std::printf("scale_%d_models %zu\n", copies, sets[set].size());
        std::printf("scale_%d_viewer_ms %.4f\n", copies, median(viewerMs[set]));
        std::printf("scale_%d_bare_ms %.4f\n", copies, median(bareMs[set]));
    }
    reportMessages(quiet);
    for (ModelMap& set : sets)
        set.clear();
    stopViewer(window);
    setPlatform(nullptr);
    return 0;
}
