// Which image format a file is, as D3DX tells, and the checks of bitmaps, with their file header
// or without it, and of Targa files.
#include "formats/ImageFileCheck.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/FileBytes.h"
#include "formats/ImageFormats.h"

namespace {

constexpr uint64_t kMostPixels = uint64_t(1) << 24;

bool StartsWith(const std::string& bytes, std::string_view signature)
{
    return std::string_view(bytes).substr(0, signature.size()) == signature;
}

// A bitmap: a 14-byte file header ("BM", the pixel data's offset at 10), then the info header,
// whose first DWORD is its size: 12 for the old core header (16-bit width, height, planes and
// bits), 40, 64, 108 or 124 for those that begin as BITMAPINFOHEADER does (32-bit width and
// height, the planes, bits, compression, and at 32 the colours used). The colour masks follow a
// 40-byte header with bit fields; then the palette, 3 bytes an entry behind a core header, 4
// behind the others. D3DX also takes a bitmap without its file header, and works out where the
// pixels begin as if no byte lay between the palette and them.
constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kHuffmanHeaderBytes = 64;   // whose bit fields mean Huffman coding
constexpr uint32_t kPlainRows = 0, kRunLength8 = 1, kRunLength4 = 2, kBitFields = 3;

bool IsBitmapHeaderSize(uint32_t size)
{
    return size == kCoreHeaderBytes || size == kInfoHeaderBytes || size == kHuffmanHeaderBytes ||
           size == 108 || size == 124;
}

// Whether D3DX reads pixels of these bits and compression. Wine turns 1- and 4-bit rows into a
// byte a pixel with the packed bits left as they are, and reads colours past the palette: refused.
bool BitmapPixelsAreRead(uint32_t headerBytes, uint32_t bits, uint32_t compression)
{
    switch (compression) {
    case kPlainRows:
        return bits == 8 || bits == 24 || (headerBytes != kCoreHeaderBytes && (bits == 16 || bits == 32));
    case kRunLength8:
        return bits == 8 && headerBytes != kCoreHeaderBytes;
    case kRunLength4:
        return bits == 4 && headerBytes != kCoreHeaderBytes;
    case kBitFields:
        return (bits == 16 || bits == 32) && headerBytes != kCoreHeaderBytes &&
               headerBytes != kHuffmanHeaderBytes;
    default:
        return false;
    }
}

// An 8-bit bitmap with fewer colours than 256: D3DX looks up every pixel in a palette of just
// those colours, so each must name one of them.
bool PixelsNameTheirColours(const std::string& image, uint64_t pixelsAt, uint64_t width,
                            uint64_t rows, uint64_t rowBytes, uint32_t colours)
{
    for (uint64_t row = 0; row < rows; ++row) {
        const auto* pixel = reinterpret_cast<const uint8_t*>(image.data() + pixelsAt + row * rowBytes);
        for (uint64_t x = 0; x < width; ++x) {
            if (pixel[x] >= colours)
                return false;
        }
    }
    return true;
}

// `infoAt` is where the info header begins: past the file header, or at 0 for a bitmap without
// one.
bool BitmapFits(const std::string& image, size_t infoAt)
{
    if (image.size() < infoAt + 4)
        return false;
    const uint32_t headerBytes = ReadLittleEndian(image, infoAt, 4);
    const bool core = headerBytes == kCoreHeaderBytes;
    if (!IsBitmapHeaderSize(headerBytes) || image.size() - infoAt < headerBytes)
        return false;
    const size_t at = infoAt + 4;
    // The core header's sizes are unsigned words, the others' signed DWORDs.
    const int64_t width = core ? int64_t(ReadLittleEndian(image, at, 2))
                               : int64_t(int32_t(ReadLittleEndian(image, at, 4)));
    const int64_t height = core ? int64_t(ReadLittleEndian(image, at + 2, 2))
                                : int64_t(int32_t(ReadLittleEndian(image, at + 4, 4)));
    const uint32_t bits = ReadLittleEndian(image, core ? at + 6 : at + 10, 2);
    const uint32_t compression = core ? kPlainRows : ReadLittleEndian(image, at + 12, 4);
    const uint32_t coloursUsed = core ? 0 : ReadLittleEndian(image, at + 28, 4);
    // A negative height is a bitmap stored top row first; a negative width is nothing.
    const uint64_t rows = static_cast<uint64_t>(std::llabs(height));
    // Wine counts a row's bits in 32 bits.
    if (width <= 0 || !PixelCountFits(static_cast<uint64_t>(width), rows) ||
        static_cast<uint64_t>(width) * bits > UINT32_MAX - 31 ||
        !BitmapPixelsAreRead(headerBytes, bits, compression) ||
        (bits <= 8 && coloursUsed > (1u << bits)))
        return false;
    // Counted as D3DX counts them where it puts a file header before a bitmap without one.
    const uint64_t colours = coloursUsed ? coloursUsed : bits <= 8 ? 1u << bits : 0;
    const uint64_t masksBytes = headerBytes == kInfoHeaderBytes && compression == kBitFields ? 12 : 0;
    const uint64_t paletteEnd = infoAt + headerBytes + masksBytes + colours * (core ? 3 : 4);
    const uint64_t pixelsAt = infoAt ? ReadLittleEndian(image, 10, 4) : paletteEnd;
    if ((bits <= 8 && paletteEnd > image.size()) || pixelsAt > image.size())
        return false;
    // Run-length data unpacks only as it is read; plain rows must all be there.
    if (compression == kRunLength8 || compression == kRunLength4)
        return true;
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    if (image.size() - pixelsAt < rowBytes * rows)
        return false;
    return bits != 8 || colours == 256 ||
           PixelsNameTheirColours(image, pixelsAt, width, rows, rowBytes, static_cast<uint32_t>(colours));
}

// A bitmap without its file header starts with its info header's size; no other format's first
// four bytes are one of those sizes.
bool LooksLikeBareBitmap(const std::string& image)
{
    return image.size() >= 4 && IsBitmapHeaderSize(ReadLittleEndian(image, 0, 4));
}

// A Targa file has no signature: D3DX takes a file for one when nothing else fits. An 18-byte
// header: the ID's length, the colour map's type (0 none, 1 one) and the image type (1 colour
// map, 2 true colour, 3 grey; 8 more when run-length coded); the colour map's first entry, its
// length and its entry bits at 3, 5 and 7; width, height, bits a pixel and the descriptor at 12,
// 14, 16 and 17. The ID and the colour map come next, then the pixels.
constexpr size_t kTargaHeaderBytes = 18;
constexpr uint8_t kTargaRunLength = 8;
constexpr uint32_t kTargaPaletteEntries = 256;

bool TargaPixelsAreRead(uint8_t imageType, uint8_t mapType, uint8_t bits)
{
    switch (imageType & ~kTargaRunLength) {
    case 1:
        return bits == 8 && mapType == 1;
    case 2:
        return bits == 15 || bits == 16 || bits == 24 || bits == 32;
    case 3:
        return bits == 8 && mapType == 0;
    default:
        return false;
    }
}

// Wine 8 refuses a colour map that reaches past entry 255; Wine 10 ignores the first entry and
// copies every entry into a palette of 256, past its end when there are more. A file without a
// colour map must say so in every field of it: Wine 10 skips the map that its fields describe.
bool TargaColourMapIsRead(const std::string& image)
{
    const uint8_t mapType = image[1];
    const uint32_t firstEntry = ReadLittleEndian(image, 3, 2);
    const uint32_t length = ReadLittleEndian(image, 5, 2);
    const uint8_t entryBits = image[7];
    if (mapType == 0)
        return firstEntry == 0 && length == 0 && entryBits == 0;
    return mapType == 1 && length > 0 && firstEntry + length <= kTargaPaletteEntries &&
           (entryBits == 15 || entryBits == 16 || entryBits == 24 || entryBits == 32);
}

bool TargaFits(const std::string& image)
{
    if (image.size() < kTargaHeaderBytes)
        return false;
    const uint8_t imageType = image[2];
    const uint64_t width = ReadLittleEndian(image, 12, 2);
    const uint64_t height = ReadLittleEndian(image, 14, 2);
    const uint8_t bits = image[16];
    const uint8_t descriptor = image[17];
    if (imageType == 0 || (imageType & ~(kTargaRunLength | 3)) != 0 || (descriptor & 0xC0) ||
        !TargaPixelsAreRead(imageType, image[1], bits) || !TargaColourMapIsRead(image) ||
        !PixelCountFits(width, height))
        return false;
    const uint64_t colourMapBytes = ReadLittleEndian(image, 5, 2) * ((uint8_t(image[7]) + 7u) / 8);
    const uint64_t pixelsAt = kTargaHeaderBytes + uint8_t(image[0]) + colourMapBytes;
    if (pixelsAt > image.size())
        return false;
    return (imageType & kTargaRunLength) || image.size() - pixelsAt >= width * height * ((bits + 7) / 8);
}

} // namespace

bool PixelCountFits(uint64_t width, uint64_t height, uint64_t depth)
{
    if (width == 0 || height == 0 || depth == 0)
        return false;
    return width <= kMostPixels && height <= kMostPixels / width &&
           depth <= kMostPixels / (width * height);
}

bool ImageMayBeLoaded(const std::string& image)
{
    if (StartsWith(image, "BM"))
        return BitmapFits(image, kFileHeaderBytes);
    if (StartsWith(image, "DDS "))
        return DdsFits(image);
    if (StartsWith(image, "\x89PNG\r\n\x1A\n"))
        return PngFits(image);
    if (StartsWith(image, "\xFF\xD8"))
        return JpegFits(image);
    if (LooksLikeBareBitmap(image))
        return BitmapFits(image, 0);
    // The other signatures either Wine knows (PPM, HDR, PFM) are of formats it does not read;
    // anything else is taken for a Targa file or for nothing.
    return TargaFits(image);
}
