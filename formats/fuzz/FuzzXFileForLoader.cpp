// Fuzzes the check and the unpacker of an .x file: what it gives the loader keeps the file's
// header, a compressed format named as the plain one, and stays within what the loader counts.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "formats/XFileCheck.h"
#include "formats/fuzz/Property.h"

namespace {

constexpr size_t kHeaderBytes = 16;
constexpr size_t kFormatOffset = 8;
// The largest body the viewer hands the loader.
constexpr size_t kLargestForLoader = 32 * 1024 * 1024;

bool IsCompressed(const std::string& file)
{
    return file.compare(kFormatOffset, 4, "tzip") == 0 || file.compare(kFormatOffset, 4, "bzip") == 0;
}

// The header the loader is to see: the file's own, with a compressed format named as the plain
// one that its unpacked bytes are.
std::string HeaderForLoader(const std::string& file)
{
    std::string header = file.substr(0, kHeaderBytes);
    if (IsCompressed(file))
        header.replace(kFormatOffset, 4, file.compare(kFormatOffset, 4, "tzip") == 0 ? "txt " : "bin ");
    return header;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> forLoader = XFileForLoader(file);
    if (!forLoader)
        return 0;
    RequireProperty(file.size() >= kHeaderBytes && forLoader->size() >= kHeaderBytes &&
                        forLoader->compare(0, kHeaderBytes, HeaderForLoader(file)) == 0,
                    "the loader's bytes begin with the file's header, the format named as plain");
    RequireProperty(forLoader->size() <= kLargestForLoader,
                    "the loader's bytes are no more than 32 MiB");
    RequireProperty(IsCompressed(file) || *forLoader == file,
                    "a text or binary file goes to the loader as it is");
    return 0;
}
