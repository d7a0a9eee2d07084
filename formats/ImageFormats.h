// The checks of the image formats D3DX reads, one a function, each of a whole file's bytes; the
// bitmap and Targa checks, and the choice among them all, are ImageMayBeLoaded's own.
#pragma once

#include <cstdint>
#include <string>

// Whether an image of these sizes stays within what Wine's readers count in 32 bits: 2^28
// pixels (16384 × 16384, the largest texture of any Direct3D 9 device) at the widest pixels D3DX
// unpacks to (16 bytes) is 4 GiB. A valid image larger than a device's largest texture but
// within this is read, and D3DX scales it down to fit.
bool PixelCountFits(uint64_t width, uint64_t height, uint64_t depth = 1);

bool DdsFits(const std::string& image);
bool PngFits(const std::string& image);
bool JpegFits(const std::string& image);
