// What an .x file must prove before the loader may parse it, and the bytes it parses: Wine's
// loader trusts the sizes that a compressed file states and the lengths and counts of a binary
// one's tokens, and reads past its buffers when they lie.
#pragma once

#include <optional>
#include <string>

// The bytes for the loader to parse, made from the bytes of an .x file, or nothing when the file
// must not reach it. A text or binary file goes as it is. A compressed one goes unpacked, behind
// its own header with the plain format named, so that the loader's inflater never runs: every
// chunk must unpack on its own terms (no more than 32 KiB, deflate data that ends with its final
// block) and the chunks must add up to the stated total. A binary body, as written or unpacked,
// must hold every token it begins. A header that is not an .x file's is refused.
std::optional<std::string> XFileForLoader(std::string file);
