// Memory: the process's private bytes after 1, 100, 1,000 and 10,000 reloads of the cube, each
// reload followed by a frame. Usage: bench_memory viewer | bare
#include <cstdio>
#include <vector>
#include <cstring>

#include "app/Graphics.h"
#include "bench/BenchSupport.h"
#include "bench/ViewerHarness.h"
#include "console/Engine.h"

namespace {

constexpr int kReloads = 10000;
// Drawing alone grows the heap for the first thousand or so frames (caches filling up): those
// frames come first, so that the reloads' figures show the reloads.
constexpr int kWarmUpFrames = 2000;

bool isCheckpoint(int reload)
{
    return reload == 1 || reload == 100 || reload == 1000 || reload == 10000;
}

void report(IDirect3DDevice9* device, int reload)
{
    // Releases are carried out by Direct3D's worker thread: let it catch up first.
    waitForDevice(device);
    std::printf("memory_%d_kib %zu\n", reload, privateBytes() / 1024);
}

// The viewer with its start-up scene, reloading the cube by name as the console does.
int runViewer()
{
    QuietPlatform quiet;
    setPlatform(&quiet);
    HWND window = startViewer();
    if (!window)
        return 1;
    warmUp(kWarmUpFrames);
    for (int reload = 1; reload <= kReloads; ++reload) {
        g_engine->registry.loadByName(kDefaultModelFile);
        pumpMessages();
        idleTurn();
        if (isCheckpoint(reload))
            report(g_device, reload);
    }
    reportMessages(quiet);
    stopViewer(window);
    setPlatform(nullptr);
    return 0;
}

// The bare start-up and the same D3DX calls for each reload, the earlier model released before
// the next is loaded, as a reload does; each followed by a bare turn that draws both.
int runBare()
{
    BareProgram program;
    if (!startBare(program)) {
        std::printf("error the bare start-up failed\n");
        return 1;
    }
    BareSession session = program.session();
    BareModel model;
    const std::vector<const BareModel*> scene = {&program.scene};
    const std::vector<const BareModel*> sceneAndModel = {&program.scene, &model};
    for (int i = 0; i < kWarmUpFrames; ++i) {
        pumpMessages();
        bareTurn(session, scene);
    }
    for (int reload = 1; reload <= kReloads; ++reload) {
        model = BareModel{};
        loadBare(program.device.get(), kDefaultModelFile, model);
        pumpMessages();
        bareTurn(session, sceneAndModel);
        if (isCheckpoint(reload))
            report(program.device.get(), reload);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "bare") == 0)
        return runBare();
    return runViewer();
}
