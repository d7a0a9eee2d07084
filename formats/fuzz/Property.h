// How a fuzz target reports a property that does not hold: a line naming it, then an abort,
// which libFuzzer keeps as a crash together with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void RequireProperty(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "Property does not hold: %s\n", property);
    std::abort();
}
