// Process entry of the viewer.
#include <cstdlib>

#include "app/Shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // The console's #exit ends the process through the runtime's exit, without coming back
    // here: the device and the input interfaces are let go on that way out too.
    std::atexit(ReleaseEverything);
    return RunViewer();
}
