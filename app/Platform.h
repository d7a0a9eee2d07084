// The free Win32, timer, Direct3D, D3DX and DirectInput functions the viewer calls, behind one
// small interface: the program binds it to the real functions, the tests to recording fakes.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>
#include <dinput.h>

#include <string>

// The largest file read, whole, into memory: a texture within the pixels the check takes, 4096 ×
// 4096 at 32 bits with its mip levels, is 85 MiB; a larger file would take the viewer past 1 GiB.
constexpr DWORD kLargestFile = 128 * 1024 * 1024;

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

    // Files: the whole of a disk file, read once, in `bytes`. False, with `bytes` empty, for
    // anything else: a missing or locked file, a folder, a device, a pipe, a size that can't be
    // told or is past kLargestFile, a file that shrinks or grows while it is read.
    virtual bool readFile(LPCSTR fileName, std::string& bytes) = 0;

    // Direct3D, D3DX and DirectInput creation
    virtual IDirect3D9* direct3DCreate9(UINT sdkVersion) = 0;
    virtual HRESULT directInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId,
                                       void** directInput, IUnknown* outer) = 0;
    // D3DX reads models and textures from bytes the viewer has read and checked: the by-name
    // loaders would open the file again, after the check.
    virtual HRESULT loadMeshFromXInMemory(LPCVOID memory, DWORD size, DWORD options,
                                          IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                                          ID3DXBuffer** materials, ID3DXBuffer** effectInstances,
                                          DWORD* materialCount, ID3DXMesh** mesh) = 0;
    virtual HRESULT createTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data,
                                                    UINT size, UINT width, UINT height,
                                                    UINT mipLevels, DWORD usage,
                                                    D3DFORMAT format, D3DPOOL pool,
                                                    DWORD filter, DWORD mipFilter,
                                                    D3DCOLOR colorKey, D3DXIMAGE_INFO* info,
                                                    PALETTEENTRY* palette,
                                                    IDirect3DTexture9** texture) = 0;
    virtual HRESULT createFont(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                               UINT mipLevels, BOOL italic, DWORD charSet, DWORD precision,
                               DWORD quality, DWORD pitchAndFamily, LPCSTR faceName,
                               ID3DXFont** font) = 0;
};

// The binding in force: the real functions unless a test has put a fake in their place.
Platform& platform();

// The real functions, whatever binding is in force: for fakes that pass some calls on.
Platform& realFunctions();

// Puts `binding` in force; null puts the real functions back.
void setPlatform(Platform* binding);
