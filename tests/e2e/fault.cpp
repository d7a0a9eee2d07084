// Faults on purpose, as a loader that reads past its data would: the tests check that every way
// the project runs a program ends it at once and reports the crash.
//   fault.exe        a write through a null pointer
//   fault.exe heap   the same after writing over the heap, which can break the fault handling
//   fault.exe d3d9   no fault: loads Direct3D 9 and ends well
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "d3d9") == 0)
        return LoadLibraryA("d3d9.dll") ? 0 : 1;
    std::puts("about to fault");
    std::fflush(stdout);
    if (argc > 1 && std::strcmp(argv[1], "heap") == 0) {
        char* block = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, 16));
        std::memset(block, 0x41, 1 << 16);   // far past the block, over its neighbours' headers
    }
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
