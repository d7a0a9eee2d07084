// The viewer's own start-up and idle turn, run outside its message loop so they can be timed,
// and a platform binding that keeps message boxes from waiting for a click.
#pragma once

#include <string>
#include <vector>

#include "app/Platform.h"
#include "bench/BareViewer.h"
#include "scene/Model.h"

// Forwards every call to the binding in force when it was made, except message boxes, which it
// only counts: a real one would stop the benchmark until someone clicks it.
class QuietPlatform final : public Platform {
public:
    QuietPlatform() : real(platform()) {}

    int showCursor(BOOL show) override { return real.showCursor(show); }
    HMODULE moduleHandle() override { return real.moduleHandle(); }
    ATOM registerClass(const WNDCLASSEXA& windowClass) override
    {
        return real.registerClass(windowClass);
    }
    HWND createWindow(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                      int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                      LPVOID param) override
    {
        return real.createWindow(exStyle, className, title, style, x, y, width, height, parent,
                                 menu, instance, param);
    }
    HWND desktopWindow() override { return real.desktopWindow(); }
    BOOL showWindow(HWND window, int command) override { return real.showWindow(window, command); }
    BOOL updateWindow(HWND window) override { return real.updateWindow(window); }
    BOOL unregisterClass(LPCSTR className, HINSTANCE instance) override
    {
        return real.unregisterClass(className, instance);
    }
    BOOL peekMessage(MSG* message, HWND window, UINT first, UINT last, UINT remove) override
    {
        return real.peekMessage(message, window, first, last, remove);
    }
    BOOL translateMessage(const MSG* message) override { return real.translateMessage(message); }
    LRESULT dispatchMessage(const MSG* message) override { return real.dispatchMessage(message); }
    LRESULT defWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return real.defWindowProc(window, message, wParam, lParam);
    }
    void postQuitMessage(int exitCode) override { real.postQuitMessage(exitCode); }
    int messageBox(HWND, LPCSTR text, LPCSTR caption, UINT) override
    {
        ++messageBoxes;
        lastMessage = std::string(caption) + ": " + text;
        return IDOK;
    }
    DWORD timeGetTime() override { return real.timeGetTime(); }
    void sleep(DWORD milliseconds) override { real.sleep(milliseconds); }
    bool readFile(LPCSTR fileName, std::string& bytes) override
    {
        return real.readFile(fileName, bytes);
    }
    BOOL cursorInClient(HWND window, POINT* place) override
    {
        return real.cursorInClient(window, place);
    }

    IDirect3D9* direct3DCreate9(UINT sdkVersion) override { return real.direct3DCreate9(sdkVersion); }
    HRESULT directInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId,
                               void** directInput, IUnknown* outer) override
    {
        return real.directInput8Create(instance, version, interfaceId, directInput, outer);
    }
    HRESULT loadMeshFromXInMemory(LPCVOID memory, DWORD size, DWORD options,
                                  IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                                  ID3DXBuffer** materials, ID3DXBuffer** effectInstances,
                                  DWORD* materialCount, ID3DXMesh** mesh) override
    {
        return real.loadMeshFromXInMemory(memory, size, options, device, adjacency, materials,
                                          effectInstances, materialCount, mesh);
    }
    HRESULT createTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data, UINT size,
                                            UINT width, UINT height, UINT mipLevels,
                                            DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                            IDirect3DTexture9** texture) override
    {
        return real.createTextureFromFileInMemoryEx(device, data, size, width, height, mipLevels,
                                                     usage, format, pool, filter, mipFilter,
                                                     colorKey, info, palette, texture);
    }
    HRESULT createFont(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                       UINT mipLevels, BOOL italic, DWORD charSet, DWORD precision, DWORD quality,
                       DWORD pitchAndFamily, LPCSTR faceName, ID3DXFont** font) override
    {
        return real.createFont(device, height, width, weight, mipLevels, italic, charSet,
                               precision, quality, pitchAndFamily, faceName, font);
    }

    int messageBoxes = 0;
    std::string lastMessage;

private:
    Platform& real;
};

// RunViewer's steps up to its message loop: cursor, window class, window, graphics (which loads
// the start-up scene), input, showing the window. Null when graphics or input failed.
HWND startViewer();

// Runs this many turns, each taking what messages wait and then polling and drawing once.
void warmUp(int frames);

// One turn of the message loop that finds no message.
void idleTurn();

// Whether the first input poll reached the camera: without it the view is degenerate and the
// viewer would draw nothing but sky and text.
bool cameraWasDriven();

// The viewer's device, font and input devices, for bare turns in the same process.
BareSession viewerSession();

// The models of the viewer's registry, in its order, for bare turns to draw.
std::vector<const Model*> registryModels();

// RunViewer's shut-down, after the window is gone.
void stopViewer(HWND window);

// Prints what the quiet binding caught, if anything.
void reportMessages(const QuietPlatform& quiet);
