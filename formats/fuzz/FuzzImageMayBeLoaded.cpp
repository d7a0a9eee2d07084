// Fuzzes the check of a texture's bytes: whatever they hold, it answers in bounded time without
// reading out of bounds or any undefined behaviour; the sanitizers and libFuzzer judge that.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/ImageFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageMayBeLoaded(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
