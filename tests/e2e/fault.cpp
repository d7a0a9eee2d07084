// Faults on purpose, as a loader that reads past its data would: the tests check that every way
// the project runs a program ends it at once and reports the crash.
//   fault.exe        a write through a null pointer
//   fault.exe heap   the same after writing over the heap, which can break the fault handling
//   fault.exe wined3d   no fault: loads Wine's own Direct3D 9 and ends well, as a run meant for
//                       DXVK that fell back to Wine's own would
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "wined3d") == 0)
        return LoadLibraryA("wined3d.dll") ? 0 : 1;
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
