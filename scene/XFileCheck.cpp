// The check of a compressed .x file before the loader sees it: every chunk unpacked with zlib.
#include "scene/XFileCheck.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "scene/FileBytes.h"

namespace {

// "xof 0303" then the format ("tzip" or "bzip" when compressed) and the float size; a
// compressed file goes on with the size of the whole file unpacked, its 16-byte header included,
// and then its chunks: the unpacked size and the packed size (two 16-bit words), and the packed
// bytes, which start with "CK" and go on as raw deflate data. Each chunk goes on from the history
// of the ones before it, as in a cabinet's MSZIP.
constexpr size_t kHeaderBytes = 16;
constexpr size_t kFormatOffset = 8;
constexpr size_t kTotalBytes = 4;
constexpr size_t kChunkHeaderBytes = 4;
constexpr char kChunkSignature[] = "CK";
constexpr size_t kSignatureBytes = 2;
constexpr size_t kHistoryBytes = 32 * 1024;   // deflate looks back no further

bool IsCompressed(const std::string& bytes)
{
    if (bytes.size() < kHeaderBytes)
        return false;
    const std::string format = bytes.substr(kFormatOffset, 4);
    return format == "tzip" || format == "bzip";
}

// Unpacks one chunk's deflate data after `history`, the last of the data unpacked so far;
// appends exactly `unpackedBytes` to it and keeps its last kHistoryBytes, or fails.
bool InflateChunk(const unsigned char* packed, size_t packedBytes, size_t unpackedBytes, std::string& history)
{
    z_stream stream = {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)   // raw deflate: no zlib header
        return false;
    bool unpacked = history.empty() ||
                    inflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(history.data()),
                                         static_cast<uInt>(history.size())) == Z_OK;
    const size_t start = history.size();
    // One byte of room beyond the stated size shows data that unpacks to more.
    history.resize(start + unpackedBytes + 1);
    stream.next_in = const_cast<Bytef*>(packed);
    stream.avail_in = static_cast<uInt>(packedBytes);
    stream.next_out = reinterpret_cast<Bytef*>(&history[start]);
    stream.avail_out = static_cast<uInt>(unpackedBytes + 1);
    if (unpacked) {
        const int result = inflate(&stream, Z_FINISH);
        unpacked = (result == Z_STREAM_END || (result == Z_BUF_ERROR && stream.avail_in == 0)) &&
                   stream.total_out == unpackedBytes;
    }
    inflateEnd(&stream);
    history.resize(start + unpackedBytes);
    history.erase(0, history.size() - std::min(history.size(), kHistoryBytes));
    return unpacked;
}

bool CompressedBytesUnpack(const std::string& bytes)
{
    if (bytes.size() < kHeaderBytes + kTotalBytes)
        return false;
    const uint64_t statedTotal = ReadLittleEndian(bytes, kHeaderBytes, kTotalBytes);
    std::string history;
    uint64_t unpackedTotal = 0;
    size_t at = kHeaderBytes + kTotalBytes;
    while (at < bytes.size()) {
        if (bytes.size() - at < kChunkHeaderBytes)
            return false;
        const size_t unpackedBytes = ReadLittleEndian(bytes, at, 2);
        const size_t packedBytes = ReadLittleEndian(bytes, at + 2, 2);
        at += kChunkHeaderBytes;
        if (packedBytes < kSignatureBytes || bytes.size() - at < packedBytes ||
            std::memcmp(bytes.data() + at, kChunkSignature, kSignatureBytes) != 0)
            return false;
        unpackedTotal += unpackedBytes;
        if (kHeaderBytes + unpackedTotal > statedTotal)
            return false;
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data() + at + kSignatureBytes);
        if (!InflateChunk(data, packedBytes - kSignatureBytes, unpackedBytes, history))
            return false;
        at += packedBytes;
    }
    return kHeaderBytes + unpackedTotal == statedTotal;
}

} // namespace

bool XFileMayBeLoaded(const std::string& path)
{
    // The same name the loader opens: the ANSI code page's bytes.
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return true;
    std::string header(kHeaderBytes, '\0');
    file.read(header.data(), kHeaderBytes);
    header.resize(static_cast<size_t>(file.gcount()));
    if (!IsCompressed(header))
        return true;
    std::string bytes = header + std::string(std::istreambuf_iterator<char>(file), {});
    return CompressedBytesUnpack(bytes);
}
