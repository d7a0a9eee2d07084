// Process entry of the viewer.
#include "app/Shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunViewer();
}
