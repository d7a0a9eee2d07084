// The production binding of the platform interface: a thin pass-through to the real functions.
#include "app/Platform.h"

#include <mmsystem.h>

namespace {

class Win32Platform final : public Platform {
public:
    int showCursor(BOOL show) override { return ::ShowCursor(show); }
    HMODULE moduleHandle() override { return ::GetModuleHandleA(nullptr); }
    ATOM registerClass(const WNDCLASSEXA& windowClass) override
    {
        return ::RegisterClassExA(&windowClass);
    }
    HWND createWindow(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                      int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                      LPVOID param) override
    {
        return ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent,
                                 menu, instance, param);
    }
    HWND desktopWindow() override { return ::GetDesktopWindow(); }
    BOOL showWindow(HWND window, int command) override { return ::ShowWindow(window, command); }
    BOOL updateWindow(HWND window) override { return ::UpdateWindow(window); }
    BOOL unregisterClass(LPCSTR className, HINSTANCE instance) override
    {
        return ::UnregisterClassA(className, instance);
    }
    BOOL peekMessage(MSG* message, HWND window, UINT first, UINT last, UINT remove) override
    {
        return ::PeekMessageA(message, window, first, last, remove);
    }
    BOOL translateMessage(const MSG* message) override { return ::TranslateMessage(message); }
    LRESULT dispatchMessage(const MSG* message) override { return ::DispatchMessageA(message); }
    LRESULT defWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    void postQuitMessage(int exitCode) override { ::PostQuitMessage(exitCode); }
    int messageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override
    {
        // Keys pressed before the box appeared must not answer it. DirectInput can see the Enter
        // that runs a console command before its key message is taken from the queue, and where
        // the new box gets the keyboard focus (Wine 10), that message would press its OK button.
        MSG pending;
        while (::PeekMessageA(&pending, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        }
        return ::MessageBoxA(owner, text, caption, type);
    }
    DWORD timeGetTime() override { return ::timeGetTime(); }
    void sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
    BOOL cursorInClient(HWND window, POINT* place) override
    {
        return ::GetCursorPos(place) && ::ScreenToClient(window, place);
    }

    IDirect3D9* direct3DCreate9(UINT sdkVersion) override { return ::Direct3DCreate9(sdkVersion); }
    HRESULT directInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId,
                               void** directInput, IUnknown* outer) override
    {
        return ::DirectInput8Create(instance, version, interfaceId, directInput, outer);
    }
    HRESULT loadMeshFromX(LPCSTR fileName, DWORD options, IDirect3DDevice9* device,
                          ID3DXBuffer** adjacency, ID3DXBuffer** materials,
                          ID3DXBuffer** effectInstances, DWORD* materialCount,
                          ID3DXMesh** mesh) override
    {
        return ::D3DXLoadMeshFromXA(fileName, options, device, adjacency, materials,
                                    effectInstances, materialCount, mesh);
    }
    HRESULT createTextureFromFile(IDirect3DDevice9* device, LPCSTR fileName,
                                  IDirect3DTexture9** texture) override
    {
        return ::D3DXCreateTextureFromFileA(device, fileName, texture);
    }
    HRESULT createFont(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                       UINT mipLevels, BOOL italic, DWORD charSet, DWORD precision, DWORD quality,
                       DWORD pitchAndFamily, LPCSTR faceName, ID3DXFont** font) override
    {
        return ::D3DXCreateFontA(device, height, width, weight, mipLevels, italic, charSet,
                                 precision, quality, pitchAndFamily, faceName, font);
    }
};

Win32Platform realFunctions;
Platform* binding = &realFunctions;

} // namespace

Platform& platform()
{
    return *binding;
}

void setPlatform(Platform* newBinding)
{
    binding = newBinding ? newBinding : &realFunctions;
}
