#include "scene/FileBytes.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <utility>

std::optional<FileStart> ReadFileStart(const std::string& path, size_t count)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return std::nullopt;
    const uint64_t size = static_cast<uint64_t>(file.tellg());
    // One read: a file as big as a texture is read at the disk's pace.
    std::string bytes(static_cast<size_t>(std::min<uint64_t>(size, count)), '\0');
    file.seekg(0);
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
    return FileStart{std::move(bytes), size};
}

std::optional<std::string> ReadFileBytes(const std::string& path)
{
    std::optional<FileStart> whole = ReadFileStart(path, SIZE_MAX);
    if (!whole)
        return std::nullopt;
    return std::move(whole->bytes);
}

uint32_t ReadLittleEndian(const std::string& bytes, size_t at, size_t width)
{
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

uint32_t ReadBigEndian(const std::string& bytes, size_t at, size_t width)
{
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}
