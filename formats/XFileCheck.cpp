// The checks of an .x file before the loader sees it: a compressed file is unpacked here, with
// zlib, and a binary one, as written or once unpacked, must hold every token it begins.
#include "formats/XFileCheck.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "formats/FileBytes.h"

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
// The loader takes the file's size in 32 bits, and parts of it count in signed ones.
constexpr uint64_t kLargestUnpacked = 0x7FFFFFFF;

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
    if (statedTotal > kLargestUnpacked)
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

// The tokens of a binary body: each a WORD. A name and a string go on with a DWORD length and
// their bytes, a string then with a WORD that ends it; an integer is a DWORD, a GUID 16 bytes;
// an integer or float list goes on with a DWORD count and that many DWORDs or floats. The rest
// are the punctuation and keywords, a WORD alone.
enum Token : uint32_t {
    kName = 1, kString = 2, kInteger = 3, kGuid = 5, kIntegerList = 6, kFloatList = 7,
    kFirstPunctuation = 10, kLastPunctuation = 20, kTemplate = 31, kFirstKeyword = 40,
    kLastKeyword = 52
};

// Wine's reader copies a name or a string into 100 bytes on its stack, a zero after it, however
// long the file says it is.
constexpr uint64_t kLongestName = 99;

bool IsWordAlone(uint32_t token)
{
    return (token >= kFirstPunctuation && token <= kLastPunctuation) || token == kTemplate ||
           (token >= kFirstKeyword && token <= kLastKeyword);
}

// Whether every token from `at` on lies within the body, and every name and string within what Wine's
// reader keeps of one: it takes a length or a count as the file states it.
bool BinaryTokensFit(const std::string& body, size_t at, size_t floatBytes)
{
    while (at < body.size()) {
        if (body.size() - at < 2)
            return false;
        const uint32_t token = ReadLittleEndian(body, at, 2);
        at += 2;
        uint64_t dataBytes = 0;
        if (token == kName || token == kString || token == kIntegerList || token == kFloatList) {
            if (body.size() - at < 4)
                return false;
            const uint64_t count = ReadLittleEndian(body, at, 4);
            at += 4;
            if ((token == kName || token == kString) && count > kLongestName)
                return false;
            dataBytes = token == kName ? count
                      : token == kString ? count + 2
                      : count * (token == kIntegerList ? 4 : floatBytes);
        } else if (token == kInteger) {
            dataBytes = 4;
        } else if (token == kGuid) {
            dataBytes = 16;
        } else if (!IsWordAlone(token)) {
            return false;
        }
        if (body.size() - at < dataBytes)
            return false;
        at += dataBytes;
    }
    return true;
}

} // namespace

std::optional<std::string> XFileForLoader(std::string file)
{
    if (!HeaderIsAnXFile(file))
        return std::nullopt;
    const std::string format = file.substr(kFormatOffset, 4);
    const size_t floatBytes = file.compare(kFloatSizeOffset, 4, "0064") == 0 ? 8 : 4;
    if (format == "txt ")
        return file;
    if (format == "bin ")
        return BinaryTokensFit(file, kHeaderBytes, floatBytes) ? std::optional(std::move(file))
                                                               : std::nullopt;
    if (format != "tzip" && format != "bzip")
        return std::nullopt;
    std::optional<std::string> unpacked = Unpacked(file, format == "tzip" ? "txt " : "bin ");
    if (unpacked && format == "bzip" && !BinaryTokensFit(*unpacked, kHeaderBytes, floatBytes))
        return std::nullopt;
    return unpacked;
}
