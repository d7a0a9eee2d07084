// The platform functions bound to fakes: every call logged, every result set in advance.
#include "tests/fakes/FakePlatform.h"

#include <new>

#include "app/Graphics.h"
#include "app/Input.h"
#include "app/Shell.h"
#include "console/Engine.h"

namespace {

// A window procedure is a code pointer, which doesn't convert to const void* by itself.
const void* codeLabel(WNDPROC procedure)
{
    return reinterpret_cast<const void*>(procedure);
}

void logMessage(std::string_view name, const MSG* message)
{
    if (message)
        logCall(name, message->hwnd, message->message, message->wParam, message->lParam);
    else
        logCall(name, nullptr);
}

// A valid file holding its name: a 1×1 bitmap with the name after its pixels for a name ending
// in .bmp, a text .x file for any other.
std::string madeUpFile(const std::string& name)
{
    const bool bitmap = name.size() >= 4 && _stricmp(name.c_str() + name.size() - 4, ".bmp") == 0;
    if (!bitmap)
        return "xof 0303txt 0032\n// " + name + "\n";
    const unsigned char image[] = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,    // file header: size, pixels at 54
        40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,  // 1×1, one plane, 24 bits
        0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x80, 0x80, 0x80, 0};                             // one grey pixel, its row padded
    return std::string(reinterpret_cast<const char*>(image), sizeof image) + name;
}

} // namespace

FakePlatform::FakePlatform()
{
    callLog().clear();
    callLog().setLabel(module, "module");
    callLog().setLabel(window, "window");
    callLog().setLabel(desktop, "desktop");
    callLog().setLabel(codeLabel(&MainWindowProc), "MainWindowProc");
    setPlatform(this);
}

FakePlatform::~FakePlatform()
{
    setPlatform(nullptr);
    forgetGlobals();
    callLog().removeLabel(module);
    callLog().removeLabel(window);
    callLog().removeLabel(desktop);
}

// So that a later test never reaches a fake that died with this platform.
void FakePlatform::forgetGlobals()
{
    if (g_direct3d == &fakeDirect3D)
        g_direct3d = nullptr;
    if (g_device == &fakeDirect3D.device)
        g_device = nullptr;
    if (g_directInput == &fakeDirectInput)
        g_directInput = nullptr;
    if (g_keyboard == &fakeDirectInput.keyboard || g_keyboard == &fakeDirectInput.mouse)
        g_keyboard = nullptr;
    if (g_mouse == &fakeDirectInput.keyboard || g_mouse == &fakeDirectInput.mouse)
        g_mouse = nullptr;
    if (g_engine) {
        // The models hold this platform's meshes and textures: released now, while they live.
        g_engine->registry.models.clear();
        for (const auto& font : fonts) {
            if (g_engine->font == font.get())
                g_engine->font = nullptr;
        }
    }
}

std::string FakePlatform::uniqueName(const std::string& kind, const std::string& name)
{
    int made = ++namesMade[kind + ':' + name];
    return made == 1 ? name : name + '#' + std::to_string(made);
}

void FakePlatform::queueMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG queued = {};
    queued.message = message;
    queued.wParam = wParam;
    queued.lParam = lParam;
    messages.push_back(queued);
}

void FakePlatform::queueIdleTurns(int count)
{
    for (int i = 0; i < count; ++i)
        messages.push_back(std::nullopt);
}

int FakePlatform::showCursor(BOOL show)
{
    logCall("showCursor", show);
    cursorCount += show ? 1 : -1;
    return cursorCount;
}

HMODULE FakePlatform::moduleHandle()
{
    logCall("moduleHandle");
    return module;
}

ATOM FakePlatform::registerClass(const WNDCLASSEXA& registered)
{
    logCall("registerClass", registered.cbSize, registered.style, codeLabel(registered.lpfnWndProc),
            registered.cbClsExtra, registered.cbWndExtra, registered.hInstance, registered.hIcon,
            registered.hCursor, registered.hbrBackground, registered.lpszMenuName,
            registered.lpszClassName, registered.hIconSm);
    windowClass = registered;
    return classAtom;
}

HWND FakePlatform::createWindow(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                                int y, int width, int height, HWND parent, HMENU menu,
                                HINSTANCE instance, LPVOID param)
{
    logCall("createWindow", exStyle, className, title, style, x, y, width, height, parent, menu,
            instance, param);
    return window;
}

HWND FakePlatform::desktopWindow()
{
    logCall("desktopWindow");
    return desktop;
}

BOOL FakePlatform::showWindow(HWND shown, int command)
{
    logCall("showWindow", shown, command);
    return FALSE;
}

BOOL FakePlatform::updateWindow(HWND updated)
{
    logCall("updateWindow", updated);
    return TRUE;
}

BOOL FakePlatform::unregisterClass(LPCSTR className, HINSTANCE instance)
{
    logCall("unregisterClass", className, instance);
    return TRUE;
}

BOOL FakePlatform::peekMessage(MSG* message, HWND filter, UINT first, UINT last, UINT remove)
{
    logCall("peekMessage", message, filter, first, last, remove);
    bool removing = remove & PM_REMOVE;
    const bool threadMessagesOnly = filter == reinterpret_cast<HWND>(-1);
    if (threadMessagesOnly && !quitPosted)
        return FALSE;
    if (!threadMessagesOnly && !messages.empty() && messages.front()) {
        *message = *messages.front();
        if (!message->hwnd)
            message->hwnd = filter;
        if (removing)
            messages.pop_front();
        return TRUE;
    }
    if (quitPosted || messages.empty()) {
        *message = {};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(quitCode);
        if (removing)
            quitPosted = false;
        return TRUE;
    }
    if (removing)
        messages.pop_front();
    return FALSE;
}

BOOL FakePlatform::translateMessage(const MSG* message)
{
    logMessage("translateMessage", message);
    return FALSE;
}

// Like the real one: a message for a window goes to its class's procedure, a thread message
// (WM_QUIT) to none.
LRESULT FakePlatform::dispatchMessage(const MSG* message)
{
    logMessage("dispatchMessage", message);
    if (!message || !message->hwnd || !windowClass.lpfnWndProc)
        return 0;
    return windowClass.lpfnWndProc(message->hwnd, message->message, message->wParam,
                                   message->lParam);
}

LRESULT FakePlatform::defWindowProc(HWND target, UINT message, WPARAM wParam, LPARAM lParam)
{
    logCall("defWindowProc", target, message, wParam, lParam);
    return defWindowProcResult;
}

void FakePlatform::postQuitMessage(int exitCode)
{
    logCall("postQuitMessage", exitCode);
    quitPosted = true;
    quitCode = exitCode;
}

int FakePlatform::messageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    logCall("messageBox", owner, text, caption, type);
    return messageBoxResult;
}

DWORD FakePlatform::timeGetTime()
{
    logCall("timeGetTime");
    DWORD now = time;
    time += timeStep;
    return now;
}

void FakePlatform::sleep(DWORD milliseconds)
{
    logCall("sleep", milliseconds);
}

BOOL FakePlatform::cursorInClient(HWND target, POINT* place)
{
    logCall("cursorInClient", target, place);
    *place = cursor;
    return TRUE;
}

IDirect3D9* FakePlatform::direct3DCreate9(UINT sdkVersion)
{
    logCall("direct3DCreate9", sdkVersion);
    return direct3D;
}

HRESULT FakePlatform::directInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId,
                                         void** created, IUnknown* outer)
{
    logCall("directInput8Create", instance, version,
            interfaceId == IID_IDirectInput8A ? "IID_IDirectInput8A" : "iid", created, outer);
    *created = SUCCEEDED(directInputResult) ? directInput : nullptr;
    return directInputResult;
}

bool FakePlatform::readFile(LPCSTR fileName, std::string& bytes)
{
    logCall("readFile", fileName);
    const std::string file = fileName ? fileName : "";
    bytes.clear();
    if (missingFiles.contains(file))
        return false;
    if (hugeFiles.contains(file))
        throw std::bad_alloc();
    const auto listed = files.find(file);
    bytes = listed != files.end() ? listed->second : madeUpFile(file);
    filesRead[file] = bytes;
    return true;
}

std::string FakePlatform::fileOf(LPCVOID data, size_t size) const
{
    const std::string_view bytes(static_cast<const char*>(data), size);
    for (const auto& [file, read] : filesRead) {
        if (read == bytes)
            return file;
    }
    return "memory";
}

HRESULT FakePlatform::loadMeshFromXInMemory(LPCVOID memory, DWORD size, DWORD options,
                                            IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                                            ID3DXBuffer** materials,
                                            ID3DXBuffer** effectInstances, DWORD* materialCount,
                                            ID3DXMesh** created)
{
    const std::string file = fileOf(memory, size);
    logCall("loadMeshFromXInMemory", file, options, device, adjacency, materials,
            effectInstances, materialCount, created);
    if (refusedFiles.contains(file))
        return refusedFileResult;
    auto listed = meshFiles.find(file);
    const MeshFile description = listed != meshFiles.end() ? listed->second : MeshFile{};

    if (description.noMesh) {
        *created = nullptr;
    } else {
        auto mesh = std::make_unique<FakeMesh>(uniqueName("mesh", file));
        mesh->vertexCount = description.vertexCount;
        mesh->vertexBuffer.data = description.vertexData;
        mesh->vertexBuffer.lockResult = description.lockResult;
        mesh->cloneResult = description.cloneResult;
        *created = mesh.get();
        meshes.push_back(std::move(mesh));
    }

    if (materials && description.noMaterialBuffer) {
        *materials = nullptr;
    } else if (materials) {
        buffers.push_back(
            std::make_unique<FakeBuffer>(uniqueName("materials", file), description.materials));
        *materials = buffers.back().get();
    }
    if (materialCount)
        *materialCount = static_cast<DWORD>(description.materials.size());
    if (adjacency)
        *adjacency = nullptr;
    if (effectInstances)
        *effectInstances = nullptr;
    return D3D_OK;
}

HRESULT FakePlatform::createTextureFromFileInMemoryEx(
    IDirect3DDevice9* device, LPCVOID data, UINT size, UINT width, UINT height, UINT mipLevels,
    DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
    D3DCOLOR colorKey, D3DXIMAGE_INFO* info, PALETTEENTRY* palette, IDirect3DTexture9** created)
{
    const std::string file = fileOf(data, size);
    logCall("createTextureFromFileInMemoryEx", device, file, width, height, mipLevels, usage,
            format, pool, filter, mipFilter, LoggedColor{colorKey}, info, palette, created);
    if (refusedFiles.contains(file))
        return refusedFileResult;
    textures.push_back(std::make_unique<FakeTexture>(uniqueName("texture", file)));
    *created = textures.back().get();
    return D3D_OK;
}

HRESULT FakePlatform::createFont(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                                 UINT mipLevels, BOOL italic, DWORD charSet, DWORD precision,
                                 DWORD quality, DWORD pitchAndFamily, LPCSTR faceName,
                                 ID3DXFont** created)
{
    logCall("createFont", device, height, width, weight, mipLevels, italic, charSet, precision,
            quality, pitchAndFamily, faceName, created);
    if (FAILED(fontResult)) {
        *created = reinterpret_cast<ID3DXFont*>(0xBADF0);
        return fontResult;
    }
    fonts.push_back(std::make_unique<FakeFont>(uniqueName("font", faceName ? faceName : "")));
    *created = fonts.back().get();
    return D3D_OK;
}
