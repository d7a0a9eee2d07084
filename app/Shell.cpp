// The process entry's work: window, start-up, message loop and shut-down; and the window procedure.
#include "app/Shell.h"

#include "app/Graphics.h"
#include "app/Input.h"
#include "app/Platform.h"
#include "camera/CameraRig.h"
#include "console/Engine.h"

namespace {

// "Nem sikerült inicializálni a d3d-t!"
constexpr char kGraphicsFailedText[] = "Nem siker\xFClt inicializ\xE1lni a d3d-t!";
constexpr char kGraphicsFailedCaption[] = "Hiba";
// "Nem sikerült inicializálni a Direct Input-ot!"
constexpr char kInputFailedText[] = "Nem siker\xFClt inicializ\xE1lni a Direct Input-ot!";
constexpr char kInputFailedCaption[] = "Hiba!!";

// Takes one message of the main window, or else one thread message. Once the window is
// destroyed its handle matches nothing, so the quit message that its destruction posts would
// never be taken through the window filter alone.
bool TakeMessage(MSG& message, HWND window)
{
    static const HWND kThreadMessages = reinterpret_cast<HWND>(-1);
    return platform().peekMessage(&message, window, 0, 0, PM_REMOVE)
        || platform().peekMessage(&message, kThreadMessages, 0, 0, PM_REMOVE);
}

// Takes at most one message a turn; a turn without one polls the input and draws a frame.
void RunMessageLoop(HWND window)
{
    MSG message = {};
    do {
        if (TakeMessage(message, window)) {
            platform().translateMessage(&message);
            platform().dispatchMessage(&message);
        } else {
            PollInput();
            RenderFrame();
        }
    } while (message.message != WM_QUIT);
}

template <typename Interface>
void Release(Interface*& pointer)
{
    if (pointer)
        pointer->Release();
    pointer = nullptr;
}

} // namespace

void RegisterWindowClass(HINSTANCE module)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_NOCLOSE;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kWindowClassName;
    platform().registerClass(windowClass);
}

HWND CreateMainWindow(HINSTANCE module)
{
    return platform().createWindow(0, kWindowClassName, kWindowTitle, WS_BORDER, 100, 100, 640,
                                   480, platform().desktopWindow(), nullptr, module, nullptr);
}

bool StartUp(HINSTANCE module, HWND window)
{
    if (FAILED(InitGraphics(window))) {
        platform().messageBox(nullptr, kGraphicsFailedText, kGraphicsFailedCaption, MB_OK);
        return false;
    }
    platform().showWindow(window, SW_SHOWDEFAULT);
    if (FAILED(InitInput(module, window))) {
        platform().messageBox(nullptr, kInputFailedText, kInputFailedCaption, MB_OK);
        return false;
    }
    platform().showWindow(window, SW_SHOWDEFAULT);
    platform().updateWindow(window);
    return true;
}

int RunViewer()
{
    // Without the engine there is no console, HUD or scene to run.
    if (!g_engine)
        return 0;

    platform().showCursor(FALSE);
    HINSTANCE module = platform().moduleHandle();
    RegisterWindowClass(module);
    HWND window = CreateMainWindow(module);
    if (StartUp(module, window))
        RunMessageLoop(window);
    ReleaseEverything();
    platform().unregisterClass(kWindowClassName, module);
    platform().showCursor(TRUE);
    return 0;
}

// The font and the models hold references on the device: they go first, so that the device is
// really gone before Direct3D is released. A process that ends with Direct3D released under a
// live device, or with the device still alive, can crash on its way out.
void ReleaseEverything()
{
    if (g_engine)
        g_engine->releaseDeviceResources();
    ReleaseInterfaces();
}

void ReleaseInterfaces()
{
    Release(g_device);
    Release(g_direct3d);
    Release(g_directInput);
    Release(g_keyboard);
    Release(g_mouse);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        platform().postQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        // Also on deactivation; the first ShowWindow sends this before the devices exist.
        if (g_keyboard)
            AcquireDevice(g_keyboard);
        if (g_mouse)
            AcquireDevice(g_mouse);
        return platform().defWindowProc(window, message, wParam, lParam);
    case WM_CHAR:
        // Typed text reaches the console only while it is open, and never the default handler.
        if (g_cameraRig.consoleOpen)
            g_engine->onChar(static_cast<char>(wParam & 0xFF));
        return 0;
    default:
        return platform().defWindowProc(window, message, wParam, lParam);
    }
}
