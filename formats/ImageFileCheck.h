// What an image must prove before D3DX makes a texture of it: Wine's image readers trust the
// sizes a header states, and read or write past their buffers when the file holds less.
#pragma once

#include <string>

// Whether the image in these bytes may go to D3DX: a bitmap (with its file header or without
// it), DDS, PNG, JPEG or Targa file of a form that Wine 8's or Wine 10's D3DX reads, stating sizes
// above zero, holding the pixels its header promises (where they are stored unpacked), keeping
// every part it names within the file, and coming to no more pixels than Wine's readers can
// count. Anything else is refused, as D3DX refuses it.
bool ImageMayBeLoaded(const std::string& image);
