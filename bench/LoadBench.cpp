// Loading: ModelRegistry::loadByName on an .x file against the bare D3DX calls it makes, a
// texture and a detail texture for every textured material. Each run times the load and the
// release of what it loaded, and reads the memory the loaded model holds.
// Usage: bench_load <path of the .x file>; the working folder must hold objektumok/ (the detail
// texture is read from there).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/Graphics.h"
#include "bench/BenchSupport.h"
#include "bench/ViewerHarness.h"
#include "scene/ModelRegistry.h"

namespace {

// Even, so that each side goes first in half of them; enough for a steady median of a small file's
// load, a dozen milliseconds that Wine's server calls make uneven.
constexpr int kRuns = 40;

struct Run {
    double loadMs = -1;   // -1 when the file did not load
    double releaseMs = 0;
    double growthKib = 0;   // private memory while the model is held, over that before the load
};

// One run: `load` fills a holder made by `Holder`, which the clock then sees destroyed.
template <typename Holder, typename Load>
Run timedRun(Load load)
{
    Run run;
    waitForDevice(g_device);
    const double bytesBefore = static_cast<double>(privateBytes());
    auto holder = std::make_unique<Holder>();
    double start = nowMs();
    const bool loaded = load(*holder);
    waitForDevice(g_device);
    run.loadMs = loaded ? nowMs() - start : -1.0;
    run.growthKib = (static_cast<double>(privateBytes()) - bytesBefore) / 1024;
    start = nowMs();
    holder.reset();
    waitForDevice(g_device);
    run.releaseMs = nowMs() - start;
    return run;
}

void report(const char* side, const std::vector<Run>& runs)
{
    std::vector<double> load, release, growth;
    for (const Run& run : runs) {
        load.push_back(run.loadMs);
        release.push_back(run.releaseMs);
        growth.push_back(run.growthKib);
    }
    std::printf("load_%s_ms %.1f\n", side, median(load));
    std::printf("release_%s_ms %.1f\n", side, median(release));
    std::printf("growth_%s_kib %.0f\n", side, median(growth));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("error usage: bench_load <file.x>\n");
        return 1;
    }
    const std::string fileName = argv[1];
    QuietPlatform quiet;
    setPlatform(&quiet);
    HWND window = createBareWindow();
    ComPtr<IDirect3D9> direct3d(Direct3DCreate9(D3D_SDK_VERSION));
    ComPtr<IDirect3DDevice9> device = createBareDevice(direct3d.get(), window);
    if (!device) {
        std::printf("error no device\n");
        return 1;
    }
    g_device = device.get();

    auto viewerRun = [&] {
        return timedRun<ModelRegistry>([&](ModelRegistry& registry) { return registry.loadByName(fileName); });
    };
    auto bareRun = [&] {
        return timedRun<BareModel>([&](BareModel& model) { return loadBare(g_device, fileName, model); });
    };

    // The first run of each warms the file cache and D3DX; it is not counted.
    viewerRun();
    bareRun();
    // Each side goes first in half the runs, so that neither always finds the other's leftovers.
    std::vector<Run> viewerRuns, bareRuns;
    for (int run = 0; run < kRuns; ++run)
        takeTurns(run, [&] { viewerRuns.push_back(viewerRun()); },
                  [&] { bareRuns.push_back(bareRun()); });
    std::printf("runs %d\n", kRuns);
    report("viewer", viewerRuns);
    report("bare", bareRuns);
    reportMessages(quiet);
    g_device = nullptr;
    device.reset();
    DestroyWindow(window);
    setPlatform(nullptr);
    return 0;
}
