// Prints where the viewer's main window stands as Windows sees it, in screen coordinates:
//   window <left> <top> <right> <bottom>   the whole window, border and caption included
//   client <left> <top> <right> <bottom>   the client area, where the picture is drawn
// Exit code 0, or 1 when the window is not found.
#include <windows.h>

#include <cstdio>

int main()
{
    HWND window = FindWindowA("Pelgrav_engin", nullptr);
    RECT outer, client;
    if (!window || !GetWindowRect(window, &outer) || !GetClientRect(window, &client))
        return 1;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::printf("window %ld %ld %ld %ld\n", outer.left, outer.top, outer.right, outer.bottom);
    std::printf("client %ld %ld %ld %ld\n", client.left, client.top, client.right, client.bottom);
    return 0;
}
