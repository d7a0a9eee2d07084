// The exception codes that the crash guard and the campaign runner count as a crash.
#pragma once

#include <windows.h>

// Faults that no sound program survives, even when some handler of its own would catch them.
inline bool IsCrash(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_IN_PAGE_ERROR:
    case STATUS_HEAP_CORRUPTION:
    case STATUS_STACK_BUFFER_OVERRUN:
        return true;
    default:
        return false;
    }
}
