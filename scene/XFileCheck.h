// What an .x file must prove before the loader may read it: Wine's loader trusts the sizes that a
// compressed file states, and the lengths and counts of a binary one's tokens, and reads past its
// buffers when they lie.
#pragma once

#include <string>

// Whether the file at `path` may go to the loader: a text file (a missing one too: the loader
// reports it as it does any file it can't read); a compressed one whose every chunk lies within
// the file and unpacks to exactly its stated size, the chunks adding up to the stated total; and
// a binary one, as written or once unpacked, whose every token lies within it.
bool XFileMayBeLoaded(const std::string& path);
