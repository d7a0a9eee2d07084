// Asks the viewer's window to close, the way the system would: WM_CLOSE, which the default
// handler turns into the window's destruction. The window has no close box to click.
#include <windows.h>

int main()
{
    HWND window = FindWindowA("Pelgrav_engin", nullptr);
    if (!window)
        return 1;
    return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 2;
}
