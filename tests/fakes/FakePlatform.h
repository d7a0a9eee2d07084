// The platform functions bound to fakes: every call logged, every result set in advance.
//
// Construct one first in a test: it binds itself and clears the log. On destruction it empties
// g_engine's registry, nulls the interface globals and g_engine->font where they point into it,
// and puts the real functions back; anything else holding its fakes must let go before then. By
// default everything succeeds with a fresh fake; files holds what readFile reads, meshFiles
// describes what the loader makes of an .x file, missingFiles makes files fail to be read and
// refusedFiles makes the loader refuse them.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Platform.h"
#include "tests/fakes/FakeDirect3D.h"
#include "tests/fakes/FakeFont.h"
#include "tests/fakes/FakeInput.h"
#include "tests/fakes/FakeMesh.h"
#include "tests/fakes/FakeTexture.h"

// What loadMeshFromXInMemory gives for one file: a mesh named after the file, its material buffer and
// count. The vertex data and results pass on to the mesh, and from it to its clone.
struct MeshFile {
    std::vector<FakeMaterial> materials = {FakeMaterial{}};
    bool noMaterialBuffer = false;   // hands out a null buffer, still with the materials' count
    bool noMesh = false;             // succeeds but hands out no mesh
    DWORD vertexCount = 0;
    std::vector<BYTE> vertexData;
    HRESULT cloneResult = D3D_OK;
    HRESULT lockResult = D3D_OK;

    template <typename Vertex>
    void setVertices(const std::vector<Vertex>& vertices)
    {
        vertexCount = static_cast<DWORD>(vertices.size());
        vertexData = vertexBytes(vertices);
    }
};

class FakePlatform : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // Handles, logged as module, window and desktop.
    HMODULE module = reinterpret_cast<HMODULE>(0x10000);
    HWND window = reinterpret_cast<HWND>(0x20000);   // what createWindow returns
    HWND desktop = reinterpret_cast<HWND>(0x30000);

    ATOM classAtom = 0xC001;
    WNDCLASSEXA windowClass = {};   // the last one registered; dispatchMessage calls its procedure
    int cursorCount = 0;            // showCursor's display counter
    LRESULT defWindowProcResult = 0;
    int messageBoxResult = IDOK;
    DWORD time = 0;                 // timeGetTime returns it, then adds timeStep
    DWORD timeStep = 0;
    POINT cursor = {};              // cursorInClient's answer

    // What peekMessage takes, one entry a turn; an empty entry is a turn without a message.
    // WM_QUIT comes as soon as postQuitMessage was called and no message is waiting, and
    // whenever the queue has run dry, so that no main loop spins on for ever. A peek filtered
    // with (HWND)-1 asks for thread messages only: it takes a posted quit and nothing queued.
    std::deque<std::optional<MSG>> messages;
    void queueMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void queueIdleTurns(int count = 1);

    FakeDirect3D fakeDirect3D;
    IDirect3D9* direct3D = &fakeDirect3D;   // what direct3DCreate9 returns
    FakeDevice& device() { return fakeDirect3D.device; }
    FakeDirectInput fakeDirectInput;
    IDirectInput8A* directInput = &fakeDirectInput;   // handed out unless directInputResult fails
    HRESULT directInputResult = DI_OK;

    // What readFile reads. A file not listed reads as a small valid one of its kind (a bitmap
    // for a name ending in .bmp, else an .x file) that holds its own name, so the in-memory
    // loaders can tell, and log, which file the bytes they are given came from.
    std::map<std::string, std::string> files;
    std::map<std::string, MeshFile> meshFiles;   // a file not listed loads as MeshFile{}
    std::set<std::string> missingFiles;          // files that can't be read
    std::set<std::string> hugeFiles;             // files too large for memory: reading throws
    std::set<std::string> refusedFiles;          // files read, but refused by the loaders
    HRESULT refusedFileResult = D3DXERR_INVALIDDATA;
    HRESULT fontResult = D3D_OK;   // on failure, a dangling pointer is left in the out-parameter

    // Everything handed out, in order. A second object from the same file or face is named
    // <name>#2, a third <name>#3, so that every label in the log is one object.
    std::vector<std::unique_ptr<FakeMesh>> meshes;
    std::vector<std::unique_ptr<FakeBuffer>> buffers;
    std::vector<std::unique_ptr<FakeTexture>> textures;
    std::vector<std::unique_ptr<FakeFont>> fonts;

    int showCursor(BOOL show) override;
    HMODULE moduleHandle() override;
    ATOM registerClass(const WNDCLASSEXA& registered) override;
    HWND createWindow(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                      int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                      LPVOID param) override;
    HWND desktopWindow() override;
    BOOL showWindow(HWND shown, int command) override;
    BOOL updateWindow(HWND updated) override;
    BOOL unregisterClass(LPCSTR className, HINSTANCE instance) override;
    BOOL peekMessage(MSG* message, HWND filter, UINT first, UINT last, UINT remove) override;
    BOOL translateMessage(const MSG* message) override;
    LRESULT dispatchMessage(const MSG* message) override;
    LRESULT defWindowProc(HWND target, UINT message, WPARAM wParam, LPARAM lParam) override;
    void postQuitMessage(int exitCode) override;
    int messageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
    DWORD timeGetTime() override;
    void sleep(DWORD milliseconds) override;
    bool readFile(LPCSTR fileName, std::string& bytes) override;
    BOOL cursorInClient(HWND target, POINT* place) override;

    IDirect3D9* direct3DCreate9(UINT sdkVersion) override;
    HRESULT directInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId,
                               void** created, IUnknown* outer) override;
    HRESULT loadMeshFromXInMemory(LPCVOID memory, DWORD size, DWORD options,
                                  IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                                  ID3DXBuffer** materials, ID3DXBuffer** effectInstances,
                                  DWORD* materialCount, ID3DXMesh** created) override;
    HRESULT createTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data, UINT size,
                                            UINT width, UINT height, UINT mipLevels,
                                            DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                            IDirect3DTexture9** created) override;
    HRESULT createFont(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                       UINT mipLevels, BOOL italic, DWORD charSet, DWORD precision,
                       DWORD quality, DWORD pitchAndFamily, LPCSTR faceName,
                       ID3DXFont** created) override;

private:
    std::string uniqueName(const std::string& kind, const std::string& name);
    // The file whose bytes were read as these, or "memory" for bytes no file read gave.
    std::string fileOf(LPCVOID data, size_t size) const;
    void forgetGlobals();

    bool quitPosted = false;
    int quitCode = 0;
    std::map<std::string, int> namesMade;
    std::map<std::string, std::string> filesRead;
};
