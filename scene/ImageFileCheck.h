// What an image must prove before D3DX makes a texture of it: Wine's image readers trust the
// sizes a header states, and read or write past their buffers when the file holds less.
#pragma once

#include <string>

// Whether the image at `path` may go to D3DX. A bitmap, DDS, Targa, PNG or JPEG file must state
// sizes above zero, hold the pixel data its header promises (where the format stores it
// unpacked), keep every part it names within the file, and come to no more pixels than a 32-bit
// byte count can hold at the widest pixels D3DX unpacks to. Anything else goes on unchecked: a
// missing file, which D3DX reports as it does any file it can't read, and formats that neither
// Wine reads (GIF, TIFF, PPM, HDR, PFM), which D3DX refuses.
bool ImageMayBeLoaded(const std::string& path);
