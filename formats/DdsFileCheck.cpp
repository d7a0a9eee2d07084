// The check of a DDS file: a pixel format that Wine 8's or Wine 10's D3DX reads, and every
// surface its header promises within the file, by whichever reading of the header asks more.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>

#include "formats/FileBytes.h"
#include "formats/ImageFormats.h"

namespace {

// "DDS " and a 124-byte header: the flags at 8 (depth valid: 0x800000), height, width, depth
// and mip count at 12, 16, 24 and 28, the 32-byte pixel format at 76 (its size, flags, four-
// character code, bits a pixel and four masks), the surface flags at 112 (cube map: 0x200 and
// one bit a face; volume: 0x200000). The surfaces follow, each face's mip chain in turn.
constexpr size_t kDdsHeaderBytes = 128;
constexpr uint32_t kPixelFormatBytes = 32;
constexpr uint32_t kDepthValid = 0x800000;
constexpr uint32_t kCubeMap = 0x200;
constexpr uint32_t kCubeFaces = 0xFC00;
constexpr uint32_t kVolume = 0x200000;

// The pixel format's flags. Wine 8 takes the first kind of these that is set and tolerates the
// rest; Wine 10 wants the flags exactly as one of its formats has them.
constexpr uint32_t kAlphaPixels = 0x1, kAlphaOnly = 0x2, kFourCc = 0x4, kIndexed = 0x20,
                   kRgb = 0x40, kLuminance = 0x20000, kBumpLuminance = 0x40000,
                   kBumpDuDv = 0x80000;

// How a format lays out its pixels: blocks of this many pixels across and down, of this many
// bytes each.
struct BlockLayout {
    uint64_t width, height, bytes;
};

constexpr uint32_t FourCc(const char (&code)[5])
{
    return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 |
           uint32_t(uint8_t(code[2])) << 16 | uint32_t(uint8_t(code[3])) << 24;
}

std::optional<BlockLayout> FourCcLayout(uint32_t code)
{
    switch (code) {
    case FourCc("DXT1"):
        return BlockLayout{4, 4, 8};
    case FourCc("DXT2"): case FourCc("DXT3"): case FourCc("DXT4"): case FourCc("DXT5"):
        return BlockLayout{4, 4, 16};
    case FourCc("UYVY"): case FourCc("YUY2"): case FourCc("RGBG"): case FourCc("GRGB"):
        return BlockLayout{2, 1, 4};
    case 111:   // R16F
        return BlockLayout{1, 1, 2};
    case 112: case 114:   // G16R16F, R32F
        return BlockLayout{1, 1, 4};
    case 36: case 110: case 113: case 115:   // A16B16G16R16, Q16W16V16U16, A16B16G16R16F, G32R32F
        return BlockLayout{1, 1, 8};
    case 116:   // A32B32G32R32F
        return BlockLayout{1, 1, 16};
    default:
        return std::nullopt;
    }
}

// A format given by its masks: its kind of flags, bits a pixel, red (or luminance, or U), green,
// blue and alpha masks, and the bytes a pixel takes.
struct MaskFormat {
    uint32_t kind, bits, red, green, blue, alpha, bytes;
};

constexpr MaskFormat kMaskFormats[] = {
    {kRgb, 8, 0xE0, 0x1C, 0x03, 0, 1},                               // R3G3B2
    {kRgb, 16, 0xF800, 0x7E0, 0x1F, 0, 2},                           // R5G6B5
    {kRgb, 16, 0x7C00, 0x3E0, 0x1F, 0, 2},                           // X1R5G5B5
    {kRgb, 16, 0xF00, 0xF0, 0xF, 0, 2},                              // X4R4G4B4
    {kRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0, 3},                        // R8G8B8
    {kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0, 4},                        // X8R8G8B8
    {kRgb, 32, 0xFFFF, 0xFFFF0000, 0, 0, 4},                         // G16R16
    {kRgb, 32, 0xFF, 0xFF00, 0xFF0000, 0, 4},                        // X8B8G8R8
    {kRgb, 16, 0xE0, 0x1C, 0x03, 0xFF00, 2},                         // A8R3G3B2
    {kRgb, 16, 0x7C00, 0x3E0, 0x1F, 0x8000, 2},                      // A1R5G5B5
    {kRgb, 16, 0xF00, 0xF0, 0xF, 0xF000, 2},                         // A4R4G4B4
    {kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 4},               // A8R8G8B8
    {kRgb, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, 4},               // A8B8G8R8
    {kRgb, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, 4},           // A2B10G10R10
    {kRgb, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000, 4},           // A2R10G10B10
    {kLuminance, 8, 0xFF, 0, 0, 0, 1},                               // L8
    {kLuminance, 16, 0xFFFF, 0, 0, 0, 2},                            // L16
    {kLuminance, 8, 0x0F, 0, 0, 0xF0, 1},                            // A4L4
    {kLuminance, 16, 0xFF, 0, 0, 0xFF00, 2},                         // A8L8
    {kLuminance, 8, 0xFF, 0, 0, 0xFF00, 2},                          // A8L8, as Wine 10 reads it
    {kAlphaOnly, 8, 0, 0, 0, 0xFF, 1},                               // A8
    {kBumpDuDv, 16, 0xFF, 0xFF00, 0, 0, 2},                          // V8U8
    {kBumpDuDv, 32, 0xFFFF, 0xFFFF0000, 0, 0, 4},                    // V16U16
    {kBumpDuDv, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, 4},          // Q8W8V8U8
    {kBumpDuDv, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, 4},      // A2W10V10U10
    {kBumpLuminance, 32, 0xFF, 0xFF00, 0xFF0000, 0, 4},              // X8L8V8U8
};

// The layout of the pixel format at 76, or nothing for one that neither Wine reads. A palette
// (indexed) format is refused too: Wine 8 converts it through the palette that the caller did
// not give, and Wine 10 expects one in the file.
std::optional<BlockLayout> PixelLayout(const std::string& image)
{
    const uint32_t flags = ReadLittleEndian(image, 80, 4);
    if (ReadLittleEndian(image, 76, 4) != kPixelFormatBytes || (flags & kIndexed))
        return std::nullopt;
    if (flags & kFourCc)
        return FourCcLayout(ReadLittleEndian(image, 84, 4));
    const uint32_t kind = flags & kRgb         ? kRgb
                        : flags & kLuminance   ? kLuminance
                        : flags & kAlphaOnly   ? kAlphaOnly
                        : flags & kBumpDuDv    ? kBumpDuDv
                                               : flags & kBumpLuminance;
    const uint32_t bits = ReadLittleEndian(image, 88, 4);
    const uint32_t alpha = flags & (kAlphaPixels | kAlphaOnly) ? ReadLittleEndian(image, 104, 4) : 0;
    for (const MaskFormat& format : kMaskFormats) {
        if (format.kind == kind && format.bits == bits && format.alpha == alpha &&
            format.red == ReadLittleEndian(image, 92, 4) &&
            format.green == ReadLittleEndian(image, 96, 4) &&
            format.blue == ReadLittleEndian(image, 100, 4))
            return BlockLayout{1, 1, format.bytes};
    }
    return std::nullopt;
}

} // namespace

bool DdsFits(const std::string& image)
{
    if (image.size() < kDdsHeaderBytes)
        return false;
    const auto layout = PixelLayout(image);
    if (!layout)
        return false;
    uint64_t height = ReadLittleEndian(image, 12, 4);
    uint64_t width = ReadLittleEndian(image, 16, 4);
    const uint32_t surfaceFlags = ReadLittleEndian(image, 112, 4);
    // Wine 8 takes a volume from the surface flags, Wine 10 from the depth's flag: either way
    // the file must hold every slice.
    const bool volume = (surfaceFlags & kVolume) || (ReadLittleEndian(image, 8, 4) & kDepthValid);
    uint64_t depth = volume ? ReadLittleEndian(image, 24, 4) : 1;
    const uint32_t faces = surfaceFlags & kCubeMap ? std::popcount(surfaceFlags & kCubeFaces) : 1;
    const uint32_t levels = std::max<uint32_t>(ReadLittleEndian(image, 28, 4), 1);
    if (!PixelCountFits(width, height, depth) || faces == 0 ||
        levels > static_cast<uint32_t>(std::bit_width(std::max({width, height, depth}))))
        return false;
    uint64_t chainBytes = 0;
    for (uint32_t level = 0; level < levels; ++level) {
        const uint64_t across = (width + layout->width - 1) / layout->width;
        const uint64_t down = (height + layout->height - 1) / layout->height;
        chainBytes += across * down * layout->bytes * depth;
        width = std::max<uint64_t>(width / 2, 1);
        height = std::max<uint64_t>(height / 2, 1);
        depth = std::max<uint64_t>(depth / 2, 1);
    }
    return image.size() - kDdsHeaderBytes >= chainBytes * faces;
}
