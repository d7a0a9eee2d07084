// Faults on purpose, as a loader that reads past its data would: the tests check that every way
// the project runs a program ends it at once and reports the crash.
//   fault.exe        a write through a null pointer
//   fault.exe heap   the same after writing over the heap, which can break the fault handling
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
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
