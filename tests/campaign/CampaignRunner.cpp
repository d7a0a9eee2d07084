// Loads a list of .x files one after another in one process, each through the viewer's registry
// on a real device and drawn once, and says how each went; a case that crashes or hangs a loader
// ends the process with a line that names it. scripts/campaign.py writes the list and reads the
// lines: "start <i>", then "case <i> loaded|refused <boxes>", or "crash <i> <code>" or
// "hang <i>"; "done" once everything is released.
// Usage: campaign_runner <list file> [first index] [timeout in seconds, 10 by default]
// The working folder must hold objektumok/: the detail texture is read from there.
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/Graphics.h"
#include "bench/ViewerHarness.h"
#include "scene/ModelRegistry.h"
#include "scripts/CrashCodes.h"

namespace {

constexpr UINT kHangExitCode = 3;

// The case running; while the process starts it is -1, while it ends it stays the last case,
// since damage that a file did to the heap can show only then.
std::atomic<long long> g_caseIndex{-1};
std::atomic<ULONGLONG> g_caseStartMs{0};   // zero until the first case starts
ULONGLONG g_timeoutMs = 10000;

// One line of output, built on the stack and written with WriteFile: the crash handler runs on a
// heap that may be broken, and nothing may wait in a buffer when the process is ended.
class Line {
public:
    Line& operator<<(const char* text)
    {
        while (*text && length < sizeof text_ - 1)
            text_[length++] = *text++;
        return *this;
    }

    Line& operator<<(long long value)
    {
        if (value < 0) {
            *this << "-";
            value = -value;
        }
        return number(static_cast<unsigned long long>(value), 10);
    }

    Line& hex(unsigned long long value) { return number(value, 16); }

    void send()
    {
        text_[length++] = '\n';
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text_, static_cast<DWORD>(length), &written,
                  nullptr);
    }

private:
    Line& number(unsigned long long value, unsigned base)
    {
        char digits[24];
        size_t count = 0;
        do {
            digits[count++] = "0123456789abcdef"[value % base];
            value /= base;
        } while (value);
        while (count && length < sizeof text_ - 1)
            text_[length++] = digits[--count];
        return *this;
    }

    char text_[96];
    size_t length = 0;
};

// The crash guard ends a program at the same faults; under it this handler never sees them, since
// a debugger hears of an exception first. Run without it, the runner reports them itself.
LONG CALLBACK onException(EXCEPTION_POINTERS* exception)
{
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    if (!IsCrash(code))
        return EXCEPTION_CONTINUE_SEARCH;
    (Line() << "crash " << g_caseIndex.load() << " ").hex(code).send();
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_CONTINUE_SEARCH;
}

DWORD WINAPI watchForHangs(void*)
{
    for (;;) {
        Sleep(100);
        const ULONGLONG start = g_caseStartMs.load();
        if (start && GetTickCount64() - start > g_timeoutMs) {
            (Line() << "hang " << g_caseIndex.load()).send();
            TerminateProcess(GetCurrentProcess(), kHangExitCode);
        }
    }
}

void startClock(long long index)
{
    g_caseIndex = index;
    g_caseStartMs = GetTickCount64();
}

std::vector<std::string> readList(const char* listFile)
{
    std::vector<std::string> paths;
    std::ifstream list(listFile);
    for (std::string path; std::getline(list, path);) {
        if (!path.empty() && path.back() == '\r')
            path.pop_back();
        paths.push_back(path);
    }
    return paths;
}

// One frame with the model, as the viewer draws what it loaded.
void drawOnce(ModelRegistry& registry)
{
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColor, 1.0f, 0);
    if (SUCCEEDED(g_device->BeginScene())) {
        registry.drawAll();
        g_device->EndScene();
    }
    g_device->Present(nullptr, nullptr, nullptr, nullptr);
}

// Everything the case made is released before the line that says how it went.
void runCase(long long index, const std::string& path, QuietPlatform& quiet)
{
    (Line() << "start " << index).send();
    startClock(index);
    quiet.messageBoxes = 0;
    bool loaded = false;
    {
        ModelRegistry registry;
        loaded = registry.loadByName(path);
        drawOnce(registry);
    }
    (Line() << "case " << index << (loaded ? " loaded " : " refused ")
            << static_cast<long long>(quiet.messageBoxes))
        .send();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        (Line() << "error usage: campaign_runner <list file> [first index] [timeout s]").send();
        return 2;
    }
    AddVectoredExceptionHandler(1, onException);
    const std::vector<std::string> paths = readList(argv[1]);
    const long long first = argc > 2 ? std::atoll(argv[2]) : 0;
    if (argc > 3)
        g_timeoutMs = static_cast<ULONGLONG>(std::atof(argv[3]) * 1000);
    CloseHandle(CreateThread(nullptr, 0, watchForHangs, nullptr, 0, nullptr));

    QuietPlatform quiet;
    setPlatform(&quiet);
    HWND window = createBareWindow();
    ComPtr<IDirect3D9> direct3d(Direct3DCreate9(D3D_SDK_VERSION));
    ComPtr<IDirect3DDevice9> device = createBareDevice(direct3d.get(), window);
    if (!device) {
        (Line() << "error no device").send();
        return 2;
    }
    g_device = device.get();
    for (long long index = first; index < static_cast<long long>(paths.size()); ++index)
        runCase(index, paths[index], quiet);

    // The last case's clock runs on through the shut-down.
    startClock(g_caseIndex);
    g_device = nullptr;
    device.reset();
    direct3d.reset();
    DestroyWindow(window);
    setPlatform(nullptr);
    (Line() << "done").send();
    return 0;
}
