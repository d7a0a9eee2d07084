// The numbers in a file's bytes, for the checks that run before the platform's loaders trust
// what a file's header states.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The unsigned number in the `width` bytes at `at`, least or most significant byte first. The
// caller has checked that the bytes are there.
uint32_t ReadLittleEndian(const std::string& bytes, size_t at, size_t width);
uint32_t ReadBigEndian(const std::string& bytes, size_t at, size_t width);
