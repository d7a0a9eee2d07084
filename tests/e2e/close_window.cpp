// Asks windows to close the way the system would, by posting WM_CLOSE, so that no key is left
// pressed behind them. Without an argument it closes the viewer's main window, which has no close
// box to click (the default handler then destroys it); given a caption, every message box that
// bears it, each of which answers WM_CLOSE as it answers its OK button.
// Exit code 0 when at least one window was asked, 1 when none was found.
#include <windows.h>

namespace {

constexpr wchar_t kMessageBoxClass[] = L"#32770";

int closeMessageBoxes(const wchar_t* caption)
{
    int asked = 0;
    for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, kMessageBoxClass, caption));)
        asked += PostMessageW(box, WM_CLOSE, 0, 0) ? 1 : 0;
    return asked;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1)
        return closeMessageBoxes(argv[1]) ? 0 : 1;
    HWND window = FindWindowA("Pelgrav_engin", nullptr);
    return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
}
