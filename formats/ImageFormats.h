// The checks of the image formats D3DX reads, one a function, each of a whole file's bytes; the
// bitmap and Targa checks, and the choice among them all, are ImageMayBeLoaded's own.
#pragma once

#include <cstdint>
#include <string>

// Whether an image of these sizes is one D3DX makes a texture of within the viewer's memory: at
// most 2^24 pixels (4096 × 4096, or as many in another shape). D3DX decodes, converts and filters
// a mip chain of it in memory: one of 16384 × 16384 takes 3.6 GiB. A valid image wider than a
// device's largest texture but within this is read, and D3DX scales it down to fit.
bool PixelCountFits(uint64_t width, uint64_t height, uint64_t depth = 1);

bool DdsFits(const std::string& image);
bool PngFits(const std::string& image);
bool JpegFits(const std::string& image);
