// Start-up, bare side: the viewer's start-up calls made straight, then one bare idle turn.
#include <cstdio>
#include <vector>

#include "bench/BareViewer.h"
#include "bench/BenchSupport.h"

int main()
{
    BareProgram program;
    if (!startBare(program)) {
        std::printf("error the bare start-up failed\n");
        return 1;
    }
    BareSession session = program.session();
    bareTurn(session, std::vector<const BareModel*>{&program.scene});
    waitForDevice(program.device.get());
    const double elapsed = msSinceProcessStart();
    std::printf("startup_ms %.1f\n", elapsed);
    return 0;
}
