// The checks of PNG and JPEG files: every chunk and segment within the file, sizes that Wine's
// readers can count, and pixels of a kind D3DX makes a texture of.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/FileBytes.h"
#include "formats/ImageFormats.h"

namespace {

// A PNG file: its signature, then chunks of a big-endian length, a type, the data and a CRC; the
// first is IHDR, whose data holds the width, the height, the bits a sample and the colour type;
// the pixels are in IDAT chunks.
constexpr std::string_view kPngSignature("\x89PNG\r\n\x1A\n", 8);
constexpr size_t kPngChunkFrameBytes = 12;
constexpr uint32_t kPngHeaderBytes = 13;


// Whether D3DX reads PNG pixels of these bits and colour type: grey (0), colour (2), palette
// (3), grey and alpha (4), colour and alpha (6), at 8 bits (16 too where there is no palette:
// Wine 10 reads those). Either Wine turns a palette of 1, 2 or 4 bits into one byte a pixel
// with the packed bits left as they are, and reads colours past the palette it made.
bool PngPixelsAreRead(uint8_t bits, uint8_t colourType)
{
    switch (colourType) {
    case 0: case 2: case 4: case 6:
        return bits == 8 || bits == 16;
    case 3:
        return bits == 8;
    default:
        return false;
    }
}

// A JPEG file: markers of 0xFF and a code, most followed by a big-endian length that counts
// itself. A frame header (SOF) holds the height and the width and three bytes for each
// component, of which D3DX reads one (grey) or three (colour); each scan header (SOS) two bytes for each of its components, then coded data up to
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

} // namespace

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
             !PixelCountFits(ReadBigEndian(bytes, at + 8, 4), ReadBigEndian(bytes, at + 12, 4)) ||
             !PngPixelsAreRead(bytes[at + 16], bytes[at + 17])))
            return false;
        if (type == "IEND")
            break;
        pixels = pixels || type == "IDAT";
        at += kPngChunkFrameBytes + length;
    }
    return pixels;
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
            const uint8_t components = bytes[at + 9];
            if (length < 8 || length != 8 + 3u * components || (components != 1 && components != 3) ||
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

