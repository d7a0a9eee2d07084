// Reading a file's bytes and the numbers in its header, for the checks that run before the
// platform's loaders trust that header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The whole file, or nothing when it can't be opened. The name is taken in the ANSI code page,
// as D3DX's A functions take it.
std::optional<std::string> ReadFileBytes(const std::string& path);

// The first `count` bytes of a file (all of a shorter one) and its size, or nothing when it can't
// be opened.
struct FileStart {
    std::string bytes;
    uint64_t size;
};
std::optional<FileStart> ReadFileStart(const std::string& path, size_t count);

// The unsigned number in the `width` bytes at `at`, least or most significant byte first. The
// caller has checked that the bytes are there.
uint32_t ReadLittleEndian(const std::string& bytes, size_t at, size_t width);
uint32_t ReadBigEndian(const std::string& bytes, size_t at, size_t width);
