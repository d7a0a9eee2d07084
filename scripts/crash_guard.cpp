// Runs a program as its debugger, so that a crash ends it at once and shows as a crash: the
// first fault is reported here, before the program's own fault handling runs (a damaged heap
// can make that handling spin for ever or end the process without a word), and the program is
// ended with the fault's code as its exit code. Otherwise it ends with the program's own code.
// With CRASH_GUARD_REFUSED_BUILTIN naming a DLL (say, the Direct3D 9 a run must not draw with), a
// program that loads Wine's own build of that DLL is ended at once with exit code 3.
// Usage: crash_guard.exe program.exe [arguments...]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "CrashCodes.h"

namespace {

// What follows the guard's own name on its command line: the program's command line as given.
const wchar_t* ProgramCommandLine()
{
    const wchar_t* line = GetCommandLineW();
    if (*line == L'"') {
        line = std::wcschr(line + 1, L'"');
        line = line ? line + 1 : L"";
    } else {
        while (*line && *line != L' ' && *line != L'\t')
            ++line;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

// An access violation's first parameter: what the faulting instruction tried to do.
const char* AccessKind(ULONG_PTR kind)
{
    switch (kind) {
    case 1:
        return "write";
    case 8:
        return "execute";
    default:
        return "read";
    }
}

void ReportCrash(const EXCEPTION_RECORD& record, bool firstChance)
{
    std::fprintf(stderr, "crash_guard: the program crashed: exception %08lX at address %p",
                 record.ExceptionCode, record.ExceptionAddress);
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        std::fprintf(stderr, " (page fault on %s access to %p)", AccessKind(record.ExceptionInformation[0]),
                     reinterpret_cast<void*>(record.ExceptionInformation[1]));
    }
    std::fprintf(stderr, "%s; ended\n", firstChance ? "" : ", not handled");
    std::fflush(stderr);
}

constexpr DWORD kRefusedDllLoaded = 3;

// The DLL of which the program may not load Wine's own build, or an empty name.
std::wstring RefusedBuiltin()
{
    wchar_t name[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"CRASH_GUARD_REFUSED_BUILTIN", name, MAX_PATH);
    return name;
}

// Whether the file behind a loaded DLL's handle has this name, in any case.
bool FileHasName(HANDLE file, const std::wstring& name)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetFinalPathNameByHandleW(file, path, MAX_PATH, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= MAX_PATH || length < name.size())
        return false;
    const wchar_t* fileName = path + length - name.size();
    return (fileName == path || fileName[-1] == L'\\') && _wcsicmp(fileName, name.c_str()) == 0;
}

// Wine marks its own DLLs in the DOS stub of their headers, where other builds say that the
// program can't run in DOS.
bool IsWinesOwn(HANDLE process, const LOAD_DLL_DEBUG_INFO& dll)
{
    constexpr char kMark[] = "Wine builtin DLL";
    constexpr size_t kMarkOffset = 0x40;
    char stub[sizeof kMark] = {};
    return ReadProcessMemory(process, static_cast<const char*>(dll.lpBaseOfDll) + kMarkOffset, stub,
                             sizeof kMark - 1, nullptr) &&
           std::memcmp(stub, kMark, sizeof kMark - 1) == 0;
}

// Follows the program until it ends; returns its exit code, or the code of the fault that ended it.
DWORD Follow(HANDLE process)
{
    const std::wstring refusedBuiltin = RefusedBuiltin();
    for (;;) {
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, INFINITE))
            return GetLastError();
        DWORD continueStatus = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case EXCEPTION_DEBUG_EVENT: {
            const EXCEPTION_DEBUG_INFO& info = event.u.Exception;
            const DWORD code = info.ExceptionRecord.ExceptionCode;
            if (IsCrash(code) || !info.dwFirstChance) {
                ReportCrash(info.ExceptionRecord, info.dwFirstChance);
                TerminateProcess(process, code);
            }
            // The loader's breakpoint at start belongs to the debugger; every other exception
            // is the program's own to handle (a C++ throw, say).
            if (code != EXCEPTION_BREAKPOINT)
                continueStatus = DBG_EXCEPTION_NOT_HANDLED;
            break;
        }
        case CREATE_PROCESS_DEBUG_EVENT:
            CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (!refusedBuiltin.empty() && FileHasName(event.u.LoadDll.hFile, refusedBuiltin) &&
                IsWinesOwn(process, event.u.LoadDll)) {
                std::fprintf(stderr, "crash_guard: the program loaded Wine's own %ls, which this run refuses; ended\n",
                             refusedBuiltin.c_str());
                std::fflush(stderr);
                TerminateProcess(process, kRefusedDllLoaded);
            }
            CloseHandle(event.u.LoadDll.hFile);
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
            return event.u.ExitProcess.dwExitCode;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
    }
}

} // namespace

int main()
{
    const wchar_t* program = ProgramCommandLine();
    if (!*program) {
        std::fputs("usage: crash_guard.exe program.exe [arguments...]\n", stderr);
        return 2;
    }
    // CreateProcessW may write into the command line it is given.
    wchar_t* commandLine = _wcsdup(program);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                        &startup, &started)) {
        std::fprintf(stderr, "crash_guard: could not start %ls (error %lu)\n", program, GetLastError());
        return 2;
    }
    free(commandLine);
    CloseHandle(started.hThread);
    const DWORD exitCode = Follow(started.hProcess);
    CloseHandle(started.hProcess);
    return static_cast<int>(exitCode);
}
