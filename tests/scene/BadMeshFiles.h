// The malformed .x files of the tests: the square spoilt in each of its encodings, and the two
// fixtures that load them.
#pragma once

#include <random>

#include "tests/scene/BadInput.h"

inline MeshCase cutCase(std::string label, std::string marker, size_t pastMarker)
{
    return {std::move(label), [marker, pastMarker] {
                const std::string text = MeshText{}.text();
                return text.substr(0, text.find(marker) + pastMarker);
            }};
}

// Seeded, so that a failure names bytes that can be made again.
inline std::string randomBytes(std::string header, unsigned seed, size_t size)
{
    std::mt19937 generator(seed);
    while (header.size() < size)
        header += static_cast<char>(generator() & 0xFF);
    return header;
}

inline MeshCase randomCase(std::string label, std::string header, unsigned seed, size_t size)
{
    return {std::move(label), [header, seed, size] { return randomBytes(header, seed, size); }};
}

// A compressed file of one chunk of random bytes, its sizes true to the file. Random bytes do not
// unpack, whatever the sizes say; for real compressed data whose sizes lie, see
// BadInputCompressedSizes.
inline MeshCase compressedCase(std::string label, std::string format, unsigned seed, std::string start)
{
    return {std::move(label), [format, seed, start] {
                constexpr WORD kChunkBytes = 1000;
                const DWORD fileBytes = 16 + kChunkBytes;
                const WORD sizes[2] = {kChunkBytes, kChunkBytes};
                return "xof 0303" + format + "0032" +
                       std::string(reinterpret_cast<const char*>(&fileBytes), sizeof fileBytes) +
                       std::string(reinterpret_cast<const char*>(sizes), sizeof sizes) +
                       randomBytes(start, seed, kChunkBytes);
            }};
}

// How a compressed file's chunks are packed: as the format's compressor packs them, each on its
// own and ending with its final block, or otherwise.
struct Packing {
    size_t chunkBytes = 200;
    int flush = Z_FINISH;      // Z_SYNC_FLUSH leaves a chunk without its final block
    bool referBack = false;    // each chunk may refer back into the text before it
};

// A file as the format's compressor writes it: the header with "tzip" (or "bzip" for a binary
// file), the unpacked size, then the chunks, each raw deflate data behind its unpacked and
// packed sizes and the "CK" signature.
inline std::string compressedFile(const std::string& text, Packing packing = {})
{
    const std::string body = text.substr(16);
    const std::string format = text.substr(8, 4) == "bin " ? "bzip" : "tzip";
    std::string file = "xof 0303" + format + "0032" +
                       littleEndian(static_cast<uint32_t>(text.size()), 4);
    for (size_t at = 0; at < body.size(); at += packing.chunkBytes) {
        const std::string chunk = body.substr(at, packing.chunkBytes);
        z_stream stream = {};
        deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        if (packing.referBack && at > 0) {
            const size_t historyBytes = std::min<size_t>(at, 32768);
            deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(&body[at - historyBytes]),
                                 static_cast<uInt>(historyBytes));
        }
        std::string packed(deflateBound(&stream, chunk.size()) + 16, '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
        stream.avail_in = static_cast<uInt>(chunk.size());
        stream.next_out = reinterpret_cast<Bytef*>(packed.data());
        stream.avail_out = static_cast<uInt>(packed.size());
        deflate(&stream, packing.flush);
        packed.resize(stream.total_out);
        deflateEnd(&stream);
        file += littleEndian(static_cast<uint32_t>(chunk.size()), 2) +
                littleEndian(static_cast<uint32_t>(packed.size() + 2), 2) + "CK" + packed;
    }
    return file;
}

inline std::string compressedSquare()
{
    return compressedFile(MeshText{}.text());
}

// The compressed square, changed by `spoil`; the first chunk's header lies at byte 20.
inline MeshCase compressedSquareCase(std::string label, std::function<void(std::string&)> spoil)
{
    return {std::move(label), [spoil] {
                std::string file = compressedSquare();
                spoil(file);
                return file;
            }};
}

inline void addToField(std::string& file, size_t at, size_t bytes, int64_t change)
{
    uint32_t value = 0;
    for (size_t i = 0; i < bytes; ++i)
        value |= uint32_t(static_cast<unsigned char>(file[at + i])) << (8 * i);
    file.replace(at, bytes, littleEndian(static_cast<uint32_t>(value + change), bytes));
}

// Tokens of the binary format: each a WORD; a name and a string carry a DWORD length and their
// bytes (a string then its terminator), and a list a DWORD count and that many DWORDs or floats.
enum BinaryToken : uint16_t {
    kName = 1, kString = 2, kIntegerList = 6, kFloatList = 7, kOpenBrace = 10, kCloseBrace = 11,
    kSemicolon = 20
};

inline std::string binaryToken(BinaryToken token)
{
    return littleEndian(token, 2);
}

inline std::string binaryName(BinaryToken token, const std::string& name)
{
    return binaryToken(token) + littleEndian(static_cast<uint32_t>(name.size()), 4) + name +
           (token == kString ? binaryToken(kSemicolon) : "");
}

inline std::string binaryIntegers(const std::vector<uint32_t>& values)
{
    std::string out = binaryToken(kIntegerList) + littleEndian(static_cast<uint32_t>(values.size()), 4);
    for (uint32_t value : values)
        out += littleEndian(value, 4);
    return out;
}

inline std::string binaryFloats(const std::vector<float>& values)
{
    std::string out = binaryToken(kFloatList) + littleEndian(static_cast<uint32_t>(values.size()), 4);
    for (float value : values)
        out.append(reinterpret_cast<const char*>(&value), sizeof value);
    return out;
}

// The square of MeshText in the binary format, its Mesh object named `meshName`.
inline std::string binarySquare(const std::string& meshName = "negyzet",
                         const std::string& textureName = kWallTexture)
{
    const std::string open = binaryToken(kOpenBrace), close = binaryToken(kCloseBrace);
    return "xof 0303bin 0032" + binaryName(kName, "Mesh") + binaryName(kName, meshName) + open +
           binaryIntegers({4}) + binaryFloats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}) +
           binaryIntegers({2, 3, 0, 1, 2, 3, 0, 2, 3}) +
           binaryName(kName, "MeshMaterialList") + open + binaryIntegers({1, 2, 0, 0}) +
           binaryName(kName, "Material") + open +
           binaryFloats({1, 0.5f, 0.25f, 1, 8, 0, 0, 0, 0, 0, 0}) +
           binaryName(kName, "TextureFilename") + open + binaryName(kString, textureName) + close +
           close + close + binaryName(kName, "MeshTextureCoords") + open + binaryIntegers({4}) +
           binaryFloats({0, 0, 1, 0, 1, 1, 0, 1}) + close + close;
}

// The binary square with the first `token` of length or count `stated` made to state `value`.
inline MeshCase binaryCountCase(std::string label, BinaryToken token, uint32_t stated, uint32_t value)
{
    return {std::move(label), [token, stated, value] {
                std::string file = binarySquare();
                const size_t at = file.find(binaryToken(token) + littleEndian(stated, 4), 16);
                return file.replace(at + 2, 4, littleEndian(value, 4));
            }};
}

inline MeshCase partCase(std::string label, std::string MeshText::*part, std::string value)
{
    return {std::move(label), [part, value] {
                MeshText mesh;
                mesh.*part = value;
                return mesh.text();
            }};
}

inline MeshCase materialsCase(std::string label, std::string counts, std::string materials)
{
    return partCase(std::move(label), &MeshText::materials, materialList(counts, materials));
}

// The square with `before` between the header and the mesh, and `after` behind it.
inline MeshCase aroundCase(std::string label, std::function<std::string()> before, std::string after = "")
{
    return {std::move(label), [=] { return MeshText{}.text().insert(16, "\n" + before() + "\n") + after; }};
}

// `count` templates of one DWORD each, named T0, T1 and on.
inline std::string templates(size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += "template T" + std::to_string(i) + " {\n<4E1C5A12-0B0C-4D8E-9F10-2A3B4C5D6E7F>\nDWORD x;\n}\n";
    return text;
}

inline std::string repeated(const std::string& piece, size_t times)
{
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// The file was read once; then it is spoilt and read again.
class RejectedMeshFile : public BadInput, public testing::WithParamInterface<MeshCase> {};

// Malformed files that the loader takes all the same, with the materials it makes of them.
struct AcceptedCase : MeshCase {
    DWORD materialCount;
    std::vector<std::string> missingTextures;   // named by the file, none of them written
};

inline void PrintTo(const AcceptedCase& row, std::ostream* out)
{
    *out << row.label;
}

class AcceptedMeshFile : public BadInput, public testing::WithParamInterface<AcceptedCase> {};
