// The production binding of the platform interface: a thin pass-through to the real functions,
// and the one reader of the files the viewer loads.
#include "app/Platform.h"

#include <mmsystem.h>

#include <string>

namespace {

// Opens a file as D3DX's by-name loaders do: the name turned from the ANSI code page to wide
// characters, where no length limit applies to it, and others free to read the file meanwhile
// but not to write it.
HANDLE openForReading(LPCSTR fileName)
{
    const int length = ::MultiByteToWideChar(CP_ACP, 0, fileName, -1, nullptr, 0);
    if (length == 0)
        return INVALID_HANDLE_VALUE;
    std::wstring wideName(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, fileName, -1, wideName.data(), length);
    return ::CreateFileW(wideName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The whole of an open disk file. Its size is told before the read and checked after it, so
// that a file that changes meanwhile is refused rather than read in part.
bool readOpenFile(HANDLE file, std::string& bytes)
{
    // A console, a serial port or a pipe could keep the read waiting for ever.
    LARGE_INTEGER size;
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size) ||
        size.QuadPart < 0 || size.QuadPart > kLargestFile)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    for (size_t done = 0; done < bytes.size();) {
        DWORD read = 0;
        if (!::ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read,
                        nullptr) || read == 0)
            return false;   // it shrank
        done += read;
    }
    char beyond;
    DWORD readBeyond = 0;
    return ::ReadFile(file, &beyond, 1, &readBeyond, nullptr) && readBeyond == 0;   // or it grew
}

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
    bool readFile(LPCSTR fileName, std::string& bytes) override
    {
        bytes.clear();
        const HANDLE file = openForReading(fileName);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        const bool read = readOpenFile(file, bytes);
        ::CloseHandle(file);
        if (!read)
            std::string().swap(bytes);
        return read;
    }
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
    HRESULT loadMeshFromXInMemory(LPCVOID memory, DWORD size, DWORD options,
                                  IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                                  ID3DXBuffer** materials, ID3DXBuffer** effectInstances,
                                  DWORD* materialCount, ID3DXMesh** mesh) override
    {
        return ::D3DXLoadMeshFromXInMemory(memory, size, options, device, adjacency, materials,
                                           effectInstances, materialCount, mesh);
    }
    HRESULT createTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data, UINT size,
                                            UINT width, UINT height, UINT mipLevels,
                                            DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                            IDirect3DTexture9** texture) override
    {
        return ::D3DXCreateTextureFromFileInMemoryEx(device, data, size, width, height,
                                                     mipLevels, usage, format, pool, filter,
                                                     mipFilter, colorKey, info, palette, texture);
    }
    HRESULT createFont(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                       UINT mipLevels, BOOL italic, DWORD charSet, DWORD precision, DWORD quality,
                       DWORD pitchAndFamily, LPCSTR faceName, ID3DXFont** font) override
    {
        return ::D3DXCreateFontA(device, height, width, weight, mipLevels, italic, charSet,
                                 precision, quality, pitchAndFamily, faceName, font);
    }
};

Win32Platform win32;
Platform* binding = &win32;

} // namespace

Platform& platform()
{
    return *binding;
}

Platform& realFunctions()
{
    return win32;
}

void setPlatform(Platform* newBinding)
{
    binding = newBinding ? newBinding : &win32;
}
