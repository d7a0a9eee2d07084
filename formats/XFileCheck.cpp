// The checks of an .x file before the loader sees it: a compressed file is unpacked here, with
// zlib, and every body, text or binary, as written or once unpacked, must fit Wine's reader.
#include "formats/XFileCheck.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "formats/FileBytes.h"
#include "formats/XFileWineLimits.h"

namespace {

// "xof ", the version ("0302" or "0303"), the format ("txt ", "bin ", or "tzip" and "bzip" when
// compressed) and the float size ("0032" or "0064"); a compressed file goes on with the size of
// the whole file unpacked, its 16-byte header included, and then its chunks: the unpacked size
// and the packed size (two 16-bit words), and the packed bytes, which start with "CK" and go on
// as raw deflate data.
constexpr size_t kHeaderBytes = 16;
constexpr size_t kFormatOffset = 8;
constexpr size_t kFloatSizeOffset = 12;
constexpr size_t kTotalBytes = 4;
constexpr size_t kChunkHeaderBytes = 4;
constexpr char kChunkSignature[] = "CK";
constexpr size_t kSignatureBytes = 2;
constexpr size_t kLargestChunk = 32 * 1024;
constexpr size_t kHistoryBytes = 32 * 1024;   // a chunk may refer back this far into the last
// Wine's reader needs about four times a body's bytes for what it reads from them, D3DX more for
// the mesh, and the second try a few times more: the largest real files unpack to 15 MB.
constexpr uint64_t kLargestXFile = 32 * 1024 * 1024;

bool HeaderIsAnXFile(const std::string& file)
{
    if (file.size() < kHeaderBytes || file.compare(0, 4, "xof ") != 0)
        return false;
    const std::string version = file.substr(4, 4);
    const std::string floatSize = file.substr(kFloatSizeOffset, 4);
    return (version == "0302" || version == "0303") && (floatSize == "0032" || floatSize == "0064");
}

// Unpacks one chunk's deflate data onto the end of `unpacked`, whose last 32 KiB past the
// header are the chunk's history. Appends exactly `unpackedBytes`, or fails. Bytes after the
// final block are left unread, as an inflater leaves them.
bool InflateChunk(const unsigned char* packed, size_t packedBytes, size_t unpackedBytes,
                  std::string& unpacked)
{
    z_stream stream = {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)   // raw deflate: no zlib header
        return false;
    const size_t start = unpacked.size();
    const size_t historyBytes = std::min(start - kHeaderBytes, kHistoryBytes);
    bool inflated = historyBytes == 0 ||
                    inflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(&unpacked[start - historyBytes]),
                                         static_cast<uInt>(historyBytes)) == Z_OK;
    // One byte of room beyond the stated size shows data that unpacks to more.
    unpacked.resize(start + unpackedBytes + 1);
    stream.next_in = const_cast<Bytef*>(packed);
    stream.avail_in = static_cast<uInt>(packedBytes);
    stream.next_out = reinterpret_cast<Bytef*>(&unpacked[start]);
    stream.avail_out = static_cast<uInt>(unpackedBytes + 1);
    // Only the final block ends a chunk: data cut short of it is refused, however much it gave.
    inflated = inflated && inflate(&stream, Z_FINISH) == Z_STREAM_END &&
               stream.total_out == unpackedBytes;
    inflateEnd(&stream);
    unpacked.resize(start + unpackedBytes);
    return inflated;
}

// A compressed file unpacked behind its header, the format named as the plain one; nothing when
// a chunk lies about its sizes or the chunks don't add up to the stated total. Nothing is set
// aside for the stated total before the chunks have shown it.
std::optional<std::string> Unpacked(const std::string& file, const char* plainFormat)
{
    if (file.size() < kHeaderBytes + kTotalBytes)
        return std::nullopt;
    const uint64_t statedTotal = ReadLittleEndian(file, kHeaderBytes, kTotalBytes);
    if (statedTotal > kLargestXFile)
        return std::nullopt;
    std::string unpacked = file.substr(0, kHeaderBytes);
    unpacked.replace(kFormatOffset, 4, plainFormat);
    size_t at = kHeaderBytes + kTotalBytes;
    while (at < file.size()) {
        if (file.size() - at < kChunkHeaderBytes)
            return std::nullopt;
        const size_t unpackedBytes = ReadLittleEndian(file, at, 2);
        const size_t packedBytes = ReadLittleEndian(file, at + 2, 2);
        at += kChunkHeaderBytes;
        if (unpackedBytes > kLargestChunk || packedBytes < kSignatureBytes ||
            file.size() - at < packedBytes ||
            std::memcmp(file.data() + at, kChunkSignature, kSignatureBytes) != 0 ||
            unpacked.size() + unpackedBytes > statedTotal)
            return std::nullopt;
        const auto* data = reinterpret_cast<const unsigned char*>(file.data() + at + kSignatureBytes);
        if (!InflateChunk(data, packedBytes - kSignatureBytes, unpackedBytes, unpacked))
            return std::nullopt;
        at += packedBytes;
    }
    if (unpacked.size() != statedTotal)
        return std::nullopt;
    return unpacked;
}

} // namespace

std::optional<std::string> XFileUnpacked(std::string file)
{
    if (!HeaderIsAnXFile(file) || file.size() > kLargestXFile)
        return std::nullopt;
    const std::string format = file.substr(kFormatOffset, 4);
    if (format == "txt " || format == "bin ")
        return file;
    if (format == "tzip" || format == "bzip")
        return Unpacked(file, format == "tzip" ? "txt " : "bin ");
    return std::nullopt;
}

std::optional<std::string> XFileForLoader(std::string file)
{
    std::optional<std::string> body = XFileUnpacked(std::move(file));
    if (!body || !XFileFitsWinesReader(*body))
        return std::nullopt;
    return body;
}
