// The checks of an image's header against its file, one for each format that D3DX reads.
#include "scene/ImageFileCheck.h"

#include <d3d9.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <string_view>

#include "scene/FileBytes.h"

namespace {

// 16384 × 16384, the largest texture of any Direct3D 9 device, at the widest pixels D3DX unpacks
// to (16 bytes) is 4 GiB: all that Wine's readers count in 32 bits. A valid image past a device's
// largest texture but within this is read as before, and D3DX scales it down to fit.
constexpr uint64_t kMostPixels = uint64_t(1) << 28;

// Every header field the checks of bitmaps, DDS and Targa files read lies in this many bytes.
constexpr size_t kHeaderReadBytes = 256;

bool PixelCountFits(uint64_t width, uint64_t height, uint64_t depth = 1)
{
    if (width == 0 || height == 0 || depth == 0)
        return false;
    return width <= kMostPixels && height <= kMostPixels / width &&
           depth <= kMostPixels / (width * height);
}

bool StartsWith(const std::string& bytes, std::string_view signature)
{
    return std::string_view(bytes).substr(0, signature.size()) == signature;
}

// A bitmap: a 14-byte file header with the pixel data's offset at 10, then the info header,
// whose first DWORD is its size: 12 for the old core header with 16-bit sizes, 40 or more for the
// ones that all begin as BITMAPINFOHEADER does. After it come the colour masks (for bit fields
// behind a 40-byte header) and the palette.
constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kAlphaBitFields = 6;

bool BitmapFits(const std::string& bytes, uint64_t fileSize)
{
    if (bytes.size() < kFileHeaderBytes + 4)
        return false;
    const uint32_t headerBytes = ReadLittleEndian(bytes, kFileHeaderBytes, 4);
    const bool core = headerBytes == kCoreHeaderBytes;
    if ((!core && headerBytes < kInfoHeaderBytes) || fileSize - kFileHeaderBytes < headerBytes)
        return false;
    int64_t width, height;
    uint32_t bits, compression = BI_RGB, colours = 0;
    if (core) {
        width = ReadLittleEndian(bytes, 18, 2);
        height = ReadLittleEndian(bytes, 20, 2);
        bits = ReadLittleEndian(bytes, 24, 2);
    } else {
        width = static_cast<int32_t>(ReadLittleEndian(bytes, 18, 4));
        height = static_cast<int32_t>(ReadLittleEndian(bytes, 22, 4));
        bits = ReadLittleEndian(bytes, 28, 2);
        compression = ReadLittleEndian(bytes, 30, 4);
        colours = ReadLittleEndian(bytes, 46, 4);
    }
    // A negative height is a bitmap stored top row first; a negative width is nothing.
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
    if (width <= 0 || !PixelCountFits(static_cast<uint64_t>(width), rows) || bits > 32)
        return false;
    if (bits <= 8) {
        if (colours > (1u << bits))
            return false;
        colours = colours ? colours : 1u << bits;
    }
    const bool bitFields = compression == BI_BITFIELDS || compression == kAlphaBitFields;
    const uint64_t masksBytes = headerBytes == kInfoHeaderBytes && bitFields ? 12 : 0;
    const uint64_t paletteEnd =
        kFileHeaderBytes + headerBytes + masksBytes + uint64_t(colours) * (core ? 3 : 4);
    const uint64_t pixelsAt = ReadLittleEndian(bytes, 10, 4);
    if (paletteEnd > fileSize || pixelsAt > fileSize)
        return false;
    // Run-length and embedded data unpack only as they are read; plain rows must all be there.
    if (compression != BI_RGB && !bitFields)
        return true;
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    return fileSize - pixelsAt >= rowBytes * rows;
}

// A DDS file: "DDS " and a 124-byte header, with the height, width, depth and mip count at 12,
// 16, 24 and 28, the pixel format's flags, four-character code and bits a pixel at 80, 84 and 88,
// and the cube and volume flags at 112; the surfaces follow, each mip chain in turn.
constexpr size_t kDdsHeaderBytes = 128;
constexpr uint32_t kFourCcFormat = 0x4;
constexpr uint32_t kCubeMap = 0x200;
constexpr uint32_t kCubeFaces = 0xFC00;
constexpr uint32_t kVolume = 0x200000;

constexpr uint32_t FourCc(const char (&code)[5])
{
    return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 |
           uint32_t(uint8_t(code[2])) << 16 | uint32_t(uint8_t(code[3])) << 24;
}

// How a format lays out its pixels: blocks of this many pixels across and down, of this many
// bytes each.
struct BlockLayout {
    uint64_t width, height, bytes;
};

// Nothing for a format that D3DX doesn't know: it refuses those itself.
std::optional<BlockLayout> DdsLayout(uint32_t formatFlags, uint32_t code, uint32_t bits)
{
    if (!(formatFlags & kFourCcFormat)) {
        if (bits == 0 || bits > 32 || bits % 8 != 0)
            return std::nullopt;
        return BlockLayout{1, 1, bits / 8};
    }
    switch (code) {
    case FourCc("DXT1"):
        return BlockLayout{4, 4, 8};
    case FourCc("DXT2"): case FourCc("DXT3"): case FourCc("DXT4"): case FourCc("DXT5"):
        return BlockLayout{4, 4, 16};
    case FourCc("UYVY"): case FourCc("YUY2"): case FourCc("RGBG"): case FourCc("GRGB"):
        return BlockLayout{2, 1, 4};
    case D3DFMT_R16F: case D3DFMT_CxV8U8:
        return BlockLayout{1, 1, 2};
    case D3DFMT_G16R16F: case D3DFMT_R32F:
        return BlockLayout{1, 1, 4};
    case D3DFMT_A16B16G16R16: case D3DFMT_Q16W16V16U16: case D3DFMT_A16B16G16R16F:
    case D3DFMT_G32R32F:
        return BlockLayout{1, 1, 8};
    case D3DFMT_A32B32G32R32F:
        return BlockLayout{1, 1, 16};
    default:
        return std::nullopt;
    }
}

bool DdsFits(const std::string& bytes, uint64_t fileSize)
{
    if (bytes.size() < kDdsHeaderBytes)
        return false;
    uint64_t height = ReadLittleEndian(bytes, 12, 4);
    uint64_t width = ReadLittleEndian(bytes, 16, 4);
    const uint32_t surfaceFlags = ReadLittleEndian(bytes, 112, 4);
    uint64_t depth = surfaceFlags & kVolume ? ReadLittleEndian(bytes, 24, 4) : 1;
    const uint32_t faces = surfaceFlags & kCubeMap ? std::popcount(surfaceFlags & kCubeFaces) : 1;
    const uint32_t levels = std::max<uint32_t>(ReadLittleEndian(bytes, 28, 4), 1);
    if (!PixelCountFits(width, height, depth) || faces == 0 ||
        levels > static_cast<uint32_t>(std::bit_width(std::max({width, height, depth}))))
        return false;
    const auto layout = DdsLayout(ReadLittleEndian(bytes, 80, 4), ReadLittleEndian(bytes, 84, 4),
                                  ReadLittleEndian(bytes, 88, 4));
    if (!layout)
        return true;
    uint64_t chainBytes = 0;
    for (uint32_t level = 0; level < levels; ++level) {
        const uint64_t across = (width + layout->width - 1) / layout->width;
        const uint64_t down = (height + layout->height - 1) / layout->height;
        chainBytes += across * down * layout->bytes * depth;
        width = std::max<uint64_t>(width / 2, 1);
        height = std::max<uint64_t>(height / 2, 1);
        depth = std::max<uint64_t>(depth / 2, 1);
    }
    return fileSize - kDdsHeaderBytes >= chainBytes * faces;
}

// A Targa file has no signature: an 18-byte header (the ID's length, the colour map's type, the
// image type; the colour map's length and entry bits at 5 and 7; width, height and bits a pixel
// at 12, 14 and 16) is taken for one when its image type is one of Targa's. The ID and the
// colour map come next, then the pixels, run-length coded in types 9 to 11.
constexpr size_t kTargaHeaderBytes = 18;
constexpr uint8_t kTargaRunLength = 8;

bool LooksLikeTarga(const std::string& bytes)
{
    if (bytes.size() < kTargaHeaderBytes)
        return false;
    const uint8_t type = bytes[2] & ~kTargaRunLength;
    return type >= 1 && type <= 3;
}

bool TargaFits(const std::string& bytes, uint64_t fileSize)
{
    const uint64_t width = ReadLittleEndian(bytes, 12, 2);
    const uint64_t height = ReadLittleEndian(bytes, 14, 2);
    const uint8_t bits = bytes[16];
    if (!PixelCountFits(width, height) || bits == 0 || bits > 32 || bits % 8 != 0)
        return false;
    const uint64_t colourMapBytes =
        bytes[1] == 1 ? ReadLittleEndian(bytes, 5, 2) * ((uint8_t(bytes[7]) + 7u) / 8) : 0;
    const uint64_t pixelsAt = kTargaHeaderBytes + uint8_t(bytes[0]) + colourMapBytes;
    if (pixelsAt > fileSize)
        return false;
    return (bytes[2] & kTargaRunLength) || fileSize - pixelsAt >= width * height * (bits / 8);
}

// A PNG file: its signature, then chunks of a big-endian length, a type, the data and a CRC; the
// first is IHDR, whose data starts with the width and the height; the pixels are in IDAT chunks.
constexpr std::string_view kPngSignature("\x89PNG\r\n\x1A\n", 8);
constexpr size_t kPngChunkFrameBytes = 12;
constexpr uint32_t kPngHeaderBytes = 13;

bool PngFits(const std::string& bytes)
{
    bool pixels = false;
    for (size_t at = kPngSignature.size(); at < bytes.size();) {
        if (bytes.size() - at < kPngChunkFrameBytes)
            return false;
        const uint64_t length = ReadBigEndian(bytes, at, 4);
        const std::string_view type = std::string_view(bytes).substr(at + 4, 4);
        if (length > bytes.size() - at - kPngChunkFrameBytes)
            return false;
        if (at == kPngSignature.size() &&
            (type != "IHDR" || length != kPngHeaderBytes ||
             !PixelCountFits(ReadBigEndian(bytes, at + 8, 4), ReadBigEndian(bytes, at + 12, 4))))
            return false;
        if (type == "IEND")
            break;
        pixels = pixels || type == "IDAT";
        at += kPngChunkFrameBytes + length;
    }
    return pixels;
}

// A JPEG file: markers of 0xFF and a code, most followed by a big-endian length that counts
// itself. A frame header (SOF) holds the height and the width and three bytes for each
// component; each scan header (SOS) two bytes for each of its components, then coded data up to
// the next marker that is neither a stuffed zero nor a restart.
constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;

bool IsFrameHeader(uint8_t code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

bool IsStandalone(uint8_t code)
{
    return (code >= 0xD0 && code <= 0xD8) || code == 0x01;   // restarts, SOI, TEM
}

size_t EndOfCodedData(const std::string& bytes, size_t at)
{
    for (; at + 1 < bytes.size(); ++at) {
        const uint8_t next = bytes[at + 1];
        if (uint8_t(bytes[at]) == kMarker && next != 0 && !(next >= 0xD0 && next <= 0xD7))
            return at;
    }
    return bytes.size();
}

bool JpegFits(const std::string& bytes)
{
    bool frame = false, scan = false;
    for (size_t at = 2; at + 1 < bytes.size();) {
        const uint8_t code = bytes[at + 1];
        // A decoder passes over stray bytes and fill bytes before a marker.
        if (uint8_t(bytes[at]) != kMarker || code == kMarker) {
            ++at;
            continue;
        }
        if (code == kEndOfImage)
            break;
        if (IsStandalone(code)) {
            at += 2;
            continue;
        }
        if (bytes.size() - at < 4)
            return false;
        const uint64_t length = ReadBigEndian(bytes, at + 2, 2);
        if (length < 2 || length > bytes.size() - at - 2)
            return false;
        if (IsFrameHeader(code)) {
            if (length < 8 || length != 8 + 3u * uint8_t(bytes[at + 9]) ||
                !PixelCountFits(ReadBigEndian(bytes, at + 7, 2), ReadBigEndian(bytes, at + 5, 2)))
                return false;
            frame = true;
        }
        if (code == kStartOfScan &&
            (!frame || length < 3 || length != 6 + 2u * uint8_t(bytes[at + 4])))
            return false;
        at += 2 + length;
        if (code == kStartOfScan) {
            scan = true;
            at = EndOfCodedData(bytes, at);
        }
    }
    return frame && scan;
}

} // namespace

bool ImageMayBeLoaded(const std::string& image)
{
    if (StartsWith(image, "BM"))
        return BitmapFits(image, image.size());
    if (StartsWith(image, "DDS "))
        return DdsFits(image, image.size());
    if (StartsWith(image, kPngSignature))
        return PngFits(image);
    if (StartsWith(image, "\xFF\xD8"))
        return JpegFits(image);
    if (LooksLikeTarga(image))
        return TargaFits(image, image.size());
    return false;
}
