// What an .x file must prove before the loader may parse it, and the bytes it parses: Wine's
// loader trusts the sizes that a compressed file states, the lengths and counts of a binary one's
// tokens and the sizes of its own tables, and goes past its buffers when they lie.
#pragma once

#include <optional>
#include <string>

// The body of an .x file as the loader parses it, or nothing when it must not reach the loader. A
// text or binary file goes as it is. A compressed one goes unpacked, behind its own header with
// the plain format named, so that the loader's inflater never runs: every chunk must unpack on
// its own terms (no more than 32 KiB, deflate data that ends with its final block) and the chunks
// must add up to the stated total. A header that is not an .x file's is refused, and so is a
// body of more than 32 MiB.
std::optional<std::string> XFileUnpacked(std::string file);

// The body of XFileUnpacked when it also fits Wine's reader (XFileFitsWinesReader).
std::optional<std::string> XFileForLoader(std::string file);
