// The free Win32, timer, Direct3D, D3DX and DirectInput functions the viewer calls, behind one
// small interface: the program binds it to the real functions, the tests to recording fakes.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>
#include <dinput.h>

class Platform {
public:
    virtual ~Platform() = default;

    // Window, cursor and messages
    virtual int showCursor(BOOL show) = 0;
    virtual HMODULE moduleHandle() = 0;
    virtual ATOM registerClass(const WNDCLASSEXA& windowClass) = 0;
    virtual HWND createWindow(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style,
                              int x, int y, int width, int height, HWND parent, HMENU menu,
                              HINSTANCE instance, LPVOID param) = 0;
    virtual HWND desktopWindow() = 0;
    virtual BOOL showWindow(HWND window, int command) = 0;
    virtual BOOL updateWindow(HWND window) = 0;
    virtual BOOL unregisterClass(LPCSTR className, HINSTANCE instance) = 0;
    virtual BOOL peekMessage(MSG* message, HWND window, UINT first, UINT last, UINT remove) = 0;
    virtual BOOL translateMessage(const MSG* message) = 0;
    virtual LRESULT dispatchMessage(const MSG* message) = 0;
    virtual LRESULT defWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void postQuitMessage(int exitCode) = 0;
    virtual int messageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) = 0;
    virtual DWORD timeGetTime() = 0;
    virtual void sleep(DWORD milliseconds) = 0;
    // Where the pointer stands in `window`'s client area: GetCursorPos, then ScreenToClient.
    virtual BOOL cursorInClient(HWND window, POINT* place) = 0;

    // Direct3D, D3DX and DirectInput creation
    virtual IDirect3D9* direct3DCreate9(UINT sdkVersion) = 0;
    virtual HRESULT directInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId,
                                       void** directInput, IUnknown* outer) = 0;
    virtual HRESULT loadMeshFromX(LPCSTR fileName, DWORD options, IDirect3DDevice9* device,
                                  ID3DXBuffer** adjacency, ID3DXBuffer** materials,
                                  ID3DXBuffer** effectInstances, DWORD* materialCount,
                                  ID3DXMesh** mesh) = 0;
    virtual HRESULT createTextureFromFile(IDirect3DDevice9* device, LPCSTR fileName,
                                          IDirect3DTexture9** texture) = 0;
    virtual HRESULT createFont(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                               UINT mipLevels, BOOL italic, DWORD charSet, DWORD precision,
                               DWORD quality, DWORD pitchAndFamily, LPCSTR faceName,
                               ID3DXFont** font) = 0;
};

// The binding in force: the real functions unless a test has put a fake in their place.
Platform& platform();

// Puts `binding` in force; null puts the real functions back.
void setPlatform(Platform* binding);
