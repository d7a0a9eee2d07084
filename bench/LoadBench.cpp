// Loading: ModelRegistry::loadByName on a large .x file against the bare D3DX calls it makes.
// Usage: bench_load <path of the .x file>; the working folder must hold objektumok/ (the detail
// texture is read from there).
#include <cstdio>
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

    // Each run starts empty; what a run loaded is released after its clock stops.
    auto viewerLoad = [&] {
        double elapsed;
        bool loaded;
        {
            ModelRegistry registry;
            const double start = nowMs();
            loaded = registry.loadByName(fileName);
            waitForDevice(g_device);
            elapsed = nowMs() - start;
        }
        waitForDevice(g_device);
        return loaded ? elapsed : -1.0;
    };
    auto bareLoad = [&] {
        double elapsed;
        bool loaded;
        {
            BareModel model;
            const double start = nowMs();
            loaded = loadBare(g_device, fileName, model);
            waitForDevice(g_device);
            elapsed = nowMs() - start;
        }
        waitForDevice(g_device);
        return loaded ? elapsed : -1.0;
    };

    // The first run of each warms the file cache and D3DX; it is not counted.
    viewerLoad();
    bareLoad();
    // Each side goes first in half the runs, so that neither always finds the other's leftovers.
    std::vector<double> viewerMs, bareMs;
    for (int run = 0; run < kRuns; ++run)
        takeTurns(run, [&] { viewerMs.push_back(viewerLoad()); },
                  [&] { bareMs.push_back(bareLoad()); });
    std::printf("runs %d\n", kRuns);
    std::printf("load_viewer_ms %.1f\n", median(viewerMs));
    std::printf("load_bare_ms %.1f\n", median(bareMs));
    reportMessages(quiet);
    g_device = nullptr;
    device.reset();
    DestroyWindow(window);
    setPlatform(nullptr);
    return 0;
}
