// Malformed .x files, broken textures and odd model names, written at test time into a scratch
// folder and loaded through the registry on a real device under Wine.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "app/Graphics.h"
#include "scene/ModelRegistry.h"
#include "tests/scene/RealDevice.h"

namespace {

const std::string kMeshFile = "modellek\\haz.x";
const std::string kMeshFolder = "modellek\\";
const std::string kWallTexture = "fal.bmp";
const std::string kDetailTexture = "objektumok\\haz\\Detail.bmp";

// Names as D3DX's A functions read them: in the ANSI code page.
std::wstring wide(const std::string& bytes)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                         nullptr, 0);
    std::wstring text(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        size);
    return text;
}

// Makes the file's folders, then the file. The wide functions take paths past MAX_PATH.
testing::AssertionResult writeFile(const std::string& path, const std::string& bytes)
{
    const std::wstring name = wide(path);
    for (size_t slash = name.find(L'\\'); slash != std::wstring::npos;
         slash = name.find(L'\\', slash + 1))
        CreateDirectoryW(name.substr(0, slash).c_str(), nullptr);
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return testing::AssertionFailure() << "can't write a " << path.size()
                                           << "-byte path, error " << GetLastError();
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                 nullptr);
    CloseHandle(file);
    if (!wrote || written != bytes.size())
        return testing::AssertionFailure() << "short write to " << path;
    return testing::AssertionSuccess();
}

void removeTree(const std::wstring& folder)
{
    // An empty name would search "\\*", the root of the drive.
    if (folder.empty())
        return;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L'\\' + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// A path of exactly `length` bytes ending in `fileName`, the rest folders of at most 200 bytes:
// a single name may not pass 255 bytes on Linux.
std::string longPath(size_t length, const std::string& fileName)
{
    std::string path;
    for (size_t left = length - fileName.size(); left > 0;) {
        size_t folder = std::min<size_t>(left, 200);
        if (left - folder == 1)
            --folder;   // a folder needs a byte of name before its backslash
        path += std::string(folder - 1, 'd') + '\\';
        left -= folder;
    }
    return path + fileName;
}

std::string folderOf(const std::string& path)
{
    return path.substr(0, path.rfind('\\') + 1);
}

// A 24-bit bitmap of grey pixels, 2×2 unless told.
std::string bitmapFile(LONG width = 2, LONG height = 2)
{
    const DWORD pixelBytes = (width * 3 + 3) / 4 * 4 * height;   // rows padded to 4 bytes
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;   // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = pixelBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    return bytes + std::string(pixelBytes, '\x80');
}

std::string material(const std::string& textureName)
{
    return "Material {\n1.0;0.5;0.25;1.0;;\n8.0;\n0.0;0.0;0.0;;\n0.0;0.0;0.0;;\n"
           "TextureFilename { \"" + textureName + "\"; }\n}\n";
}

// The counts are the number of materials, then of face indices, then the indices.
std::string materialList(const std::string& counts, const std::string& materials)
{
    return "MeshMaterialList {\n" + counts + "\n" + materials + "}\n";
}

// A square of two triangles with one material naming fal.bmp, in the .x text format. Each part
// can be swapped for a malformed one.
struct MeshText {
    std::string vertexCount = "4";
    std::string vertices = "0.0;0.0;0.0;,\n1.0;0.0;0.0;,\n1.0;1.0;0.0;,\n0.0;1.0;0.0;;";
    std::string faceCount = "2";
    std::string faces = "3;0,1,2;,\n3;0,2,3;;";
    std::string materials = materialList("1;\n2;\n0,\n0;;", material(kWallTexture));
    std::string coordinateCount = "4";
    std::string coordinates = "0.0;0.0;,\n1.0;0.0;,\n1.0;1.0;,\n0.0;1.0;;";

    std::string text() const
    {
        return "xof 0303txt 0032\nMesh {\n" + vertexCount + ";\n" + vertices + "\n" + faceCount +
               ";\n" + faces + "\n" + materials + "MeshTextureCoords {\n" + coordinateCount +
               ";\n" + coordinates + "\n}\n}\n";
    }
};

std::string oneMaterialNaming(const std::string& textureName)
{
    MeshText mesh;
    mesh.materials = materialList("1;\n2;\n0,\n0;;", material(textureName));
    return mesh.text();
}

std::vector<std::string> boxes()
{
    return callLog().named("messageBox");
}

std::string meshBox(const std::string& name)
{
    return messageBoxCall(name, cp1250(L"Nem találom az x filet!"));
}

std::string textureBox(const std::string& path)
{
    return messageBoxCall(path, cp1250(L"Nincs meg a textúra file! :("));
}

// What a failed load leaves: the name, the one "def" instance, nothing to draw.
void expectFresh(const Model& model, const std::string& name)
{
    EXPECT_EQ(model.fileName, name);
    EXPECT_FALSE(model.mesh);
    EXPECT_EQ(model.materialCount, 0u);
    EXPECT_TRUE(model.materials.empty());
    EXPECT_TRUE(model.textures.empty());
    EXPECT_TRUE(model.detailTextures.empty());
    ASSERT_EQ(model.instances.size(), 1u);
    EXPECT_EQ(model.instances.begin()->first, kDefaultInstanceName);
}

// One frame with every model, presented so that the draws really run.
void drawOnce(ModelRegistry& registry)
{
    ASSERT_EQ(g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColor, 1.0f,
                              0),
              D3D_OK);
    ASSERT_EQ(g_device->BeginScene(), D3D_OK);
    registry.drawAll();
    EXPECT_EQ(g_device->EndScene(), D3D_OK);
    EXPECT_EQ(g_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

// One device for every case here, made by the first and let go when the tests end: Wine takes
// a few hundred milliseconds to make one. Between cases g_device is left null, as other tests
// expect to find it.
class SharedDevice : public testing::Environment {
public:
    IDirect3DDevice9* get()
    {
        if (!device) {
            real.open();
            device = std::exchange(g_device, nullptr);
        }
        return device;
    }

    void TearDown() override
    {
        if (device) {
            g_device = std::exchange(device, nullptr);
            real.close();
        }
    }

private:
    RealDevice real;
    IDirect3DDevice9* device = nullptr;
};

SharedDevice& sharedDevice = *static_cast<SharedDevice*>(
    testing::AddGlobalTestEnvironment(new SharedDevice));

// Each case works in a scratch folder of its own, removed with everything in it afterwards.
class BadInput : public testing::Test {
protected:
    void SetUp() override
    {
        g_device = sharedDevice.get();
        ASSERT_TRUE(g_device);
        static int scratchCount = 0;
        scratch = L"bad-input-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++scratchCount);
        // Wine numbers processes afresh with each server, so a run that crashed may have left
        // a folder of this name.
        removeTree(scratch);
        ASSERT_TRUE(CreateDirectoryW(scratch.c_str(), nullptr));
        previousFolder.resize(GetCurrentDirectoryW(0, nullptr));
        previousFolder.resize(GetCurrentDirectoryW(previousFolder.size(), previousFolder.data()));
        ASSERT_TRUE(SetCurrentDirectoryW(scratch.c_str()));
    }

    void TearDown() override
    {
        registry.models.clear();
        SetCurrentDirectoryW(previousFolder.c_str());
        removeTree(scratch);
        g_device = nullptr;
        g_sceneLight = {};
    }

    const Model& entry(const std::string& name) { return registry.models.at(name); }

    RealLoadsRecordedMessages platform;
    ModelRegistry registry;
    std::wstring scratch;
    std::wstring previousFolder;
};

// A .x file's contents, made when the case runs.
struct MeshCase {
    std::string label;
    std::function<std::string()> contents;
};

void PrintTo(const MeshCase& row, std::ostream* out)
{
    *out << row.label;
}

template <typename Row>
std::string labelOf(const testing::TestParamInfo<Row>& info)
{
    return info.param.label;
}

// The square in each of the format's encodings.
class UntouchedSquare : public BadInput, public testing::WithParamInterface<MeshCase> {};

TEST_P(UntouchedSquare, LoadsWithItsTextureAndNoBox)
{
    ASSERT_TRUE(writeFile(kMeshFile, GetParam().contents()));
    ASSERT_TRUE(writeFile(kMeshFolder + kWallTexture, bitmapFile()));
    ASSERT_TRUE(writeFile(kDetailTexture, bitmapFile()));

    EXPECT_TRUE(registry.loadByName(kMeshFile));

    EXPECT_EQ(boxes(), std::vector<std::string>{});
    ASSERT_EQ(entry(kMeshFile).materialCount, 1u);
    EXPECT_TRUE(entry(kMeshFile).textures[0]);
    EXPECT_TRUE(entry(kMeshFile).detailTextures[0]);
    ASSERT_TRUE(entry(kMeshFile).mesh);
    EXPECT_EQ(entry(kMeshFile).mesh->GetNumVertices(), 4u);
    drawOnce(registry);
}

MeshCase cutCase(std::string label, std::string marker, size_t pastMarker)
{
    return {std::move(label), [marker, pastMarker] {
                const std::string text = MeshText{}.text();
                return text.substr(0, text.find(marker) + pastMarker);
            }};
}

// Seeded, so that a failure names bytes that can be made again.
std::string randomBytes(std::string header, unsigned seed, size_t size)
{
    std::mt19937 generator(seed);
    while (header.size() < size)
        header += static_cast<char>(generator() & 0xFF);
    return header;
}

MeshCase randomCase(std::string label, std::string header, unsigned seed, size_t size)
{
    return {std::move(label), [header, seed, size] { return randomBytes(header, seed, size); }};
}

// A compressed file of one chunk of random bytes, its sizes true to the file. Random bytes do not
// unpack, whatever the sizes say; for real compressed data whose sizes lie, see
// BadInputCompressedSizes.
MeshCase compressedCase(std::string label, std::string format, unsigned seed, std::string start)
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

std::string littleEndian(uint32_t value, size_t bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
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
std::string compressedFile(const std::string& text, Packing packing = {})
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

std::string compressedSquare()
{
    return compressedFile(MeshText{}.text());
}

// The compressed square, changed by `spoil`; the first chunk's header lies at byte 20.
MeshCase compressedSquareCase(std::string label, std::function<void(std::string&)> spoil)
{
    return {std::move(label), [spoil] {
                std::string file = compressedSquare();
                spoil(file);
                return file;
            }};
}

void addToField(std::string& file, size_t at, size_t bytes, int64_t change)
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

std::string binaryToken(BinaryToken token)
{
    return littleEndian(token, 2);
}

std::string binaryName(BinaryToken token, const std::string& name)
{
    return binaryToken(token) + littleEndian(static_cast<uint32_t>(name.size()), 4) + name +
           (token == kString ? binaryToken(kSemicolon) : "");
}

std::string binaryIntegers(const std::vector<uint32_t>& values)
{
    std::string out = binaryToken(kIntegerList) + littleEndian(static_cast<uint32_t>(values.size()), 4);
    for (uint32_t value : values)
        out += littleEndian(value, 4);
    return out;
}

std::string binaryFloats(const std::vector<float>& values)
{
    std::string out = binaryToken(kFloatList) + littleEndian(static_cast<uint32_t>(values.size()), 4);
    for (float value : values)
        out.append(reinterpret_cast<const char*>(&value), sizeof value);
    return out;
}

// The square of MeshText in the binary format, its Mesh object named `meshName`.
std::string binarySquare(const std::string& meshName = "negyzet",
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
MeshCase binaryCountCase(std::string label, BinaryToken token, uint32_t stated, uint32_t value)
{
    return {std::move(label), [token, stated, value] {
                std::string file = binarySquare();
                const size_t at = file.find(binaryToken(token) + littleEndian(stated, 4), 16);
                return file.replace(at + 2, 4, littleEndian(value, 4));
            }};
}

MeshCase partCase(std::string label, std::string MeshText::*part, std::string value)
{
    return {std::move(label), [part, value] {
                MeshText mesh;
                mesh.*part = value;
                return mesh.text();
            }};
}

MeshCase materialsCase(std::string label, std::string counts, std::string materials)
{
    return partCase(std::move(label), &MeshText::materials, materialList(counts, materials));
}

// The square with `before` between the header and the mesh, and `after` behind it.
MeshCase aroundCase(std::string label, std::function<std::string()> before, std::string after = "")
{
    return {std::move(label), [=] { return MeshText{}.text().insert(16, "\n" + before() + "\n") + after; }};
}

// `count` templates of one DWORD each, named T0, T1 and on.
std::string templates(size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += "template T" + std::to_string(i) + " {\n<4E1C5A12-0B0C-4D8E-9F10-2A3B4C5D6E7F>\nDWORD x;\n}\n";
    return text;
}

std::string repeated(const std::string& piece, size_t times)
{
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// The file was read once; then it is spoilt and read again.
class RejectedMeshFile : public BadInput, public testing::WithParamInterface<MeshCase> {};

TEST_P(RejectedMeshFile, FailsWithOneBoxNamingTheFileAndLeavesTheReloadedModelFresh)
{
    ASSERT_TRUE(writeFile(kMeshFolder + kWallTexture, bitmapFile()));
    ASSERT_TRUE(writeFile(kMeshFile, MeshText{}.text()));
    ASSERT_TRUE(registry.loadByName(kMeshFile));
    callLog().clear();
    ASSERT_TRUE(writeFile(kMeshFile, GetParam().contents()));

    EXPECT_FALSE(registry.loadByName(kMeshFile));

    EXPECT_EQ(boxes(), std::vector{meshBox(kMeshFile)});
    ASSERT_EQ(registry.models.size(), 1u);
    expectFresh(entry(kMeshFile), kMeshFile);
    drawOnce(registry);
}

// What Wine's D3DX returned stands above each case. The DXFILEERR codes are those of the older
// .x file interface, which Wine's loader passes on.
INSTANTIATE_TEST_SUITE_P(
    BadInputTruncated, RejectedMeshFile,
    testing::Values(
        // D3DXERR_INVALIDDATA
        cutCase("Empty", "", 0),
        // DXFILEERR_BADFILETYPE: less than the 16 bytes of the header
        cutCase("InsideTheHeader", "txt", 1),
        // E_FAIL
        cutCase("AfterTheHeader", "Mesh", 0),
        // E_FAIL
        cutCase("InsideTheVertexList", "1.0;1.0;0.0", 5),
        // E_FAIL
        cutCase("InsideTheFaceList", "3;0,2,3", 4),
        // E_FAIL
        cutCase("InsideTheMaterial", "8.0", 2),
        // E_FAIL: the string never ends
        cutCase("InsideTheTextureName", "fal.bmp", 3),
        // E_FAIL
        cutCase("InsideTheTextureCoordinates", "MeshTextureCoords", 30),
        // E_FAIL
        cutCase("BeforeTheLastBrace", "}\n}\n", 2)),
    labelOf<MeshCase>);

INSTANTIATE_TEST_SUITE_P(
    BadInputRandomBytes, RejectedMeshFile,
    testing::Values(
        // DXFILEERR_BADFILETYPE
        randomCase("NoHeader", "", 1, 4096),
        // E_FAIL
        randomCase("AfterATextHeader", "xof 0303txt 0032", 2, 4096),
        // E_FAIL
        randomCase("AfterABinaryHeader", "xof 0303bin 0032", 3, 4096),
        // E_FAIL
        randomCase("AMegabyteAfterATextHeader", "xof 0303txt 0032", 6, 1 << 20),
        // DXFILEERR_BADALLOC, the loader's answer to a chunk it can't unpack
        compressedCase("InACompressedBinaryChunk", "bzip", 4, ""),
        // DXFILEERR_BADALLOC
        compressedCase("InACompressedTextChunk", "tzip", 5, ""),
        // DXFILEERR_BADALLOC
        compressedCase("InACompressedChunkAfterItsSignature", "bzip", 7, "CK")),
    labelOf<MeshCase>);

// Compressed files whose sizes or data lie. Wine's loader trusts the sizes and unpacks past its
// buffers, so none of these reaches it: the file is refused once unpacking it with zlib shows the
// lie. Above each, what the loader did with the file before that check, on Wine 8 and Wine 10
// alike unless it says otherwise.
INSTANTIATE_TEST_SUITE_P(
    BadInputCompressedSizes, RejectedMeshFile,
    testing::Values(
        // Crashed the loader: a page fault reading past its buffer
        compressedSquareCase("RealDataCutInsideTheFirstChunk", [](std::string& f) { f.resize(60); }),
        // Crashed the loader: a page fault reading past its buffer
        compressedSquareCase("RealDataCutInsideTheLastChunk",
                             [](std::string& f) { f.resize(f.size() - 10); }),
        // Read on past the chunk by Wine's inflater, taken whole by zlib: it holds all it states
        MeshCase{"ChunksWithoutTheirFinalBlock",
                 [] { return compressedFile(MeshText{}.text(), {.flush = Z_SYNC_FLUSH}); }},
        // Unpacked into a buffer of 32 KiB by Wine's inflater, taken whole by zlib
        MeshCase{"AChunkOfMoreThan32KiB", [] {
                     const std::string text = MeshText{}.text() + "//" + std::string(40000, 'x');
                     return compressedFile(text, {.chunkBytes = 40000});
                 }},
        // Loaded, a byte of whatever lay in the loader's buffer added to the text
        compressedSquareCase("ChunkUnpackedSizeOneOver", [](std::string& f) { addToField(f, 20, 2, 1); }),
        // Crashed the loader: a page fault reading past its buffer
        compressedSquareCase("ChunkPackedSizeOneShort", [](std::string& f) { addToField(f, 22, 2, -1); }),
        // Crashed the loader: a page fault reading past its buffer
        compressedSquareCase("ChunkPackedSizeOneOver", [](std::string& f) { addToField(f, 22, 2, 1); }),
        // Refused by the loader itself as well, once it had unpacked the whole text into a
        // buffer made for half of it: what that overran can bring a later load down
        compressedSquareCase("TotalOfHalfTheText", [](std::string& f) { addToField(f, 16, 4, -200); }),
        // Loaded, after 8 s of reading a buffer of 4 GiB the loader made for it
        compressedSquareCase("TotalOfZero", [](std::string& f) { f.replace(16, 4, littleEndian(0, 4)); }),
        // Loaded, after 5 s
        compressedSquareCase("TotalOfTwoToThe31",
                             [](std::string& f) { f.replace(16, 4, littleEndian(1u << 31, 4)); }),
        // Refused by the loader itself as well
        compressedSquareCase("AFlippedBitInTheDeflateData", [](std::string& f) { f[40] ^= 0x10; }),
        // Crashed the loader: a page fault reading past its buffer
        MeshCase{"ATextFileWhoseHeaderSaysCompressed", [] {
                     std::string text = MeshText{}.text();
                     return text.replace(8, 4, "tzip");
                 }}),
    labelOf<MeshCase>);

INSTANTIATE_TEST_SUITE_P(
    BadInputEncodings, UntouchedSquare,
    testing::Values(MeshCase{"Text", [] { return MeshText{}.text(); }},
                    MeshCase{"Binary", [] { return binarySquare(); }},
                    MeshCase{"CompressedText", [] { return compressedFile(MeshText{}.text()); }},
                    MeshCase{"CompressedBinary", [] { return compressedFile(binarySquare()); }},
                    // Read as garbage by Wine's inflater, which keeps no history between chunks
                    MeshCase{"CompressedReferringBack", [] {
                                 return compressedFile(MeshText{}.text(), {.chunkBytes = 100,
                                                                           .referBack = true});
                             }}),
    labelOf<MeshCase>);

// Binary files whose lengths and counts run past their data, and a string longer than the 512
// bytes Wine's reader keeps for a token's value. Above each, what the loader did before the check
// that walks the tokens, on Wine 8 and Wine 10 alike.
INSTANTIATE_TEST_SUITE_P(
    BadInputBinaryTokens, RejectedMeshFile,
    testing::Values(
        // Refused by the loader itself as well, and so for the next three
        binaryCountCase("NameLongerThanTheFile", kName, 4, 0x7FFFFFFF),
        binaryCountCase("IntegerListLongerThanTheFile", kIntegerList, 1, 0x40000000),
        binaryCountCase("FloatListLongerThanTheFile", kFloatList, 12, 0x40000000),
        binaryCountCase("StringLongerThanTheFile", kString, 7, 0x7FFFFFFF),
        // Crashed the loader: a page fault once the name had run over its stack, and so for
        // the next two
        MeshCase{"StringOf5000Bytes", [] { return binarySquare("negyzet", std::string(5000, 'f')); }}),
    labelOf<MeshCase>);

// Files that would take Wine's reader past its fixed tables, or keep it or D3DX busy for good.
// Above each, what it did to the viewer before the check that follows Wine's reader.
INSTANTIATE_TEST_SUITE_P(
    BadInputWineTables, RejectedMeshFile,
    testing::Values(
        // Crashed: the template table of 200 overrun, D3DX's 35 and Wine's first one counted
        aroundCase("MoreTemplatesThanWinesTable", [] { return templates(165); }),
        // Crashed: the second try's standard declarations would have overrun it
        MeshCase{"OneTemplateShortOfTheTableAndAStandardOneUndeclared", [] {
                     MeshText mesh;
                     mesh.materials += "VertexDuplicationIndices {\n4;\n4;\n0,\n1,\n2,\n3;\n}\n";
                     return mesh.text().insert(16, "\n" + templates(164));
                 }},
        aroundCase("ATemplateOf51Members", [] {
            return "template Wide {\n<4E1C5A12-0B0C-4D8E-9F10-2A3B4C5D6E7F>\n" +
                   repeated("DWORD x;\n", 51) + "}\n";
        }),
        aroundCase("ATemplateOf201Restrictions", [] {
            return "template Open {\n<4E1C5A12-0B0C-4D8E-9F10-2A3B4C5D6E7F>\n[" +
                   repeated("Frame,", 200) + "Frame]\n}\n";
        }),
        aroundCase("AnObjectOf201Children", [] { return std::string(); },
                   "Frame {\n" + repeated("Frame { }\n", 201) + "}\n"),
        aroundCase("ObjectsNested257Deep", [] { return std::string(); },
                   repeated("Frame {\n", 257) + repeated("}\n", 257)),
        // Crashed: D3DX follows a reference into what it refers to, here for ever
        aroundCase("AFrameReferringToItself", [] { return std::string(); }, "Frame A {\n{ A }\n}\n"),
        // Hung: four billion elements, each read without a token
        aroundCase("AnArrayOfElementsWithoutData", [] {
            return "template Empty {\n<4E1C5A12-0B0C-4D8E-9F10-2A3B4C5D6E70>\n}\n"
                   "template Many {\n<4E1C5A12-0B0C-4D8E-9F10-2A3B4C5D6E71>\nDWORD n;\narray Empty e[n];\n}\n"
                   "Many {\n4000000000;\n}\n";
        })),
    labelOf<MeshCase>);

INSTANTIATE_TEST_SUITE_P(
    BadInputCounts, RejectedMeshFile,
    testing::Values(
        // E_FAIL: the numbers run out
        partCase("AMillionVerticesDeclaredFourGiven", &MeshText::vertexCount, "1000000"),
        // E_FAIL: the numbers run out
        partCase("AllOnesVertexCount", &MeshText::vertexCount, "4294967295"),
        // E_FAIL: not a DWORD
        partCase("NegativeVertexCount", &MeshText::vertexCount, "-4"),
        // E_FAIL: not a DWORD
        partCase("FractionalVertexCount", &MeshText::vertexCount, "4.0"),
        // E_FAIL: the faces run out
        partCase("AMillionFacesDeclaredTwoGiven", &MeshText::faceCount, "1000000"),
        // E_FAIL
        partCase("AMillionTextureCoordinatesDeclared", &MeshText::coordinateCount, "1000000"),
        // E_FAIL: the count must be the vertex count
        partCase("FewerTextureCoordinatesThanVertices", &MeshText::coordinateCount, "3"),
        // E_FAIL: the count must be the face count
        materialsCase("AMillionMaterialFaceIndicesDeclared", "1;\n1000000;\n0,\n0;;",
                      material(kWallTexture)),
        // E_FAIL: one material of a million
        materialsCase("AMillionMaterialsDeclaredOneGiven", "1000000;\n2;\n0,\n0;;",
                      material(kWallTexture)),
        // D3DERR_INVALIDCALL: the loader makes no mesh of nothing
        MeshCase{"NoVerticesAndNoFaces", [] {
                     return MeshText{"0", ";", "0", ";", "", "0", ";"}.text();
                 }}),
    labelOf<MeshCase>);

INSTANTIATE_TEST_SUITE_P(
    BadInputIndices, RejectedMeshFile,
    testing::Values(
        // E_FAIL: the loader checks each index against the vertex count
        partCase("FaceIndexPastTheLastVertex", &MeshText::faces, "3;0,1,4;,\n3;0,2,3;;"),
        // E_FAIL, likewise
        partCase("AllOnesFaceIndex", &MeshText::faces, "3;0,1,4294967295;,\n3;0,2,3;;"),
        // E_FAIL: the indices run out
        partCase("AFaceOfAMillionCorners", &MeshText::faces, "1000000;0,1,2;,\n3;0,2,3;;"),
        // E_FAIL: a face needs three corners
        partCase("AFaceOfTwoCorners", &MeshText::faces, "2;0,1;,\n3;0,2,3;;"),
        // E_FAIL, likewise
        partCase("AFaceOfNoCorners", &MeshText::faces, "0;;,\n3;0,2,3;;"),
        // E_FAIL: a face of a material that isn't there
        materialsCase("MaterialIndexPastTheLastMaterial", "1;\n2;\n0,\n1;;",
                      material(kWallTexture))),
    labelOf<MeshCase>);

INSTANTIATE_TEST_SUITE_P(
    BadInputMaterialList, RejectedMeshFile,
    testing::Values(
        // E_FAIL
        materialsCase("MoreMaterialsThanDeclared", "1;\n2;\n0,\n0;;",
                      material(kWallTexture) + material("b.bmp")),
        // E_FAIL
        materialsCase("FewerMaterialsThanDeclared", "2;\n2;\n0,\n1;;", material(kWallTexture)),
        // E_FAIL: the loader wants an index for every face, and no more
        materialsCase("MoreFaceIndicesThanFaces", "1;\n3;\n0,\n0,\n0;;",
                      material(kWallTexture)),
        // E_FAIL
        materialsCase("AMaterialWithoutItsColours", "1;\n2;\n0,\n0;;", "Material {\n}\n")),
    labelOf<MeshCase>);

INSTANTIATE_TEST_SUITE_P(
    BadInputSyntax, RejectedMeshFile,
    testing::Values(
        // E_FAIL: Wine's text parser won't read a whole number where a float belongs
        partCase("WholeNumbersForCoordinates", &MeshText::vertices,
                 "0;0;0;,\n1;0;0;,\n1;1;0;,\n0;1;0;;"),
        // E_FAIL: no template declares it
        partCase("AnObjectOfNoKnownKind", &MeshText::materials,
                 MeshText{}.materials + "Zork { 1; }\n")),
    labelOf<MeshCase>);

// Malformed files that the loader takes all the same, with the materials it makes of them.
struct AcceptedCase : MeshCase {
    DWORD materialCount;
    std::vector<std::string> missingTextures;   // named by the file, none of them written
};

void PrintTo(const AcceptedCase& row, std::ostream* out)
{
    *out << row.label;
}

class AcceptedMeshFile : public BadInput, public testing::WithParamInterface<AcceptedCase> {};

TEST_P(AcceptedMeshFile, LoadsReportsOnlyMissingTexturesAndDraws)
{
    ASSERT_TRUE(writeFile(kMeshFolder + kWallTexture, bitmapFile()));
    ASSERT_TRUE(writeFile(kMeshFile, GetParam().contents()));

    EXPECT_TRUE(registry.loadByName(kMeshFile));

    std::vector<std::string> expected;
    for (const std::string& name : GetParam().missingTextures)
        expected.push_back(textureBox(kMeshFolder + name));
    EXPECT_EQ(boxes(), expected);
    EXPECT_EQ(entry(kMeshFile).materialCount, GetParam().materialCount);
    ASSERT_TRUE(entry(kMeshFile).mesh);
    EXPECT_EQ(entry(kMeshFile).mesh->GetFVF(), kModelVertexFormat);
    drawOnce(registry);
}

// What Wine's D3DX made of each file stands above it.
INSTANTIATE_TEST_SUITE_P(
    BadInputAccepted, AcceptedMeshFile,
    testing::Values(
        // S_OK, the list dropped for one grey untextured material of the loader's own
        AcceptedCase{materialsCase("NoMaterialsDeclaredOneGiven", "0;\n2;\n0,\n0;;",
                                   material(kWallTexture)),
                     1, {}},
        // S_OK, the same grey material: with Wine no mesh comes without a material
        AcceptedCase{partCase("NoMaterialList", &MeshText::materials, ""), 1, {}},
        // S_OK, the faces kept though they cover no area
        AcceptedCase{partCase("FacesOfOneRepeatedCorner", &MeshText::faces,
                              "3;0,0,0;,\n3;1,1,1;;"),
                     1, {}},
        // S_OK, though no float holds these coordinates
        AcceptedCase{partCase("CoordinatesBeyondTheFloatRange", &MeshText::vertices,
                              "1" + std::string(45, '0') + ".0;0.0;0.0;,\n1.0;0.0;0.0;,\n" +
                                  "1.0;1.0;-1" + std::string(45, '0') + ".0;,\n0.0;1.0;0.0;;"),
                     1, {}},
        // S_OK, the second list replacing the first
        AcceptedCase{partCase("TwoMaterialLists", &MeshText::materials,
                              materialList("1;\n2;\n0,\n0;;", material("a.bmp")) +
                                  materialList("2;\n2;\n0,\n1;;",
                                               material("b.bmp") + material("c.bmp"))),
                     2, {"b.bmp", "c.bmp"}},
        // S_OK, what follows the mesh unread
        AcceptedCase{{"GarbageAfterTheLastBrace",
                      [] { return MeshText{}.text() + "garbage }}}{{ \"\"\" 123"; }},
                     1, {}},
        // S_OK
        AcceptedCase{{"ZeroBytesAfterTheLastBrace",
                      [] { return MeshText{}.text() + std::string(100, '\0'); }},
                     1, {}}),
    labelOf<AcceptedCase>);

// Files that Wine's D3DX refuses for limits of its own and the viewer loads with its second try,
// from adjusted bytes. What Wine's D3DX said of each first stands above it.
INSTANTIATE_TEST_SUITE_P(
    BadInputSecondTry, AcceptedMeshFile,
    testing::Values(
        // E_FAIL: one face index for the whole mesh
        AcceptedCase{materialsCase("OneFaceIndexForTheWholeMesh", "1;\n1;\n0;;", material(kWallTexture)),
                     1, {}},
        AcceptedCase{{"BinaryWithOneFaceIndexForTheWholeMesh", [] {
                          std::string file = binarySquare();
                          const std::string list = binaryIntegers({1, 2, 0, 0});
                          return file.replace(file.find(list), list.size(), binaryIntegers({1, 1, 0}));
                      }},
                     1, {}},
        // E_FAIL: "Wrong name 1.0E+00"
        AcceptedCase{partCase("FloatsWithExponents", &MeshText::vertices,
                              "0.0E+00;0.0;0.0;,\n1.0E+00;0.0;0.0;,\n1e0;10.0E-1;0.0;,\n0.0;1.0e-0;0.0;;"),
                     1, {}},
        // E_FAIL: "Unknown template VertexDuplicationIndices"
        AcceptedCase{partCase("AStandardTemplateUsedUndeclared", &MeshText::materials,
                              materialList("1;\n2;\n0,\n0;;", material(kWallTexture)) +
                                  "VertexDuplicationIndices {\n4;\n4;\n0,\n1,\n2,\n3;\n}\n"),
                     1, {}},
        // E_FAIL: "Token 51 not supported"
        AcceptedCase{{"ACStringMember", [] {
                          return MeshText{}.text().insert(16, "\ntemplate Label {\n<9E3C9D2A-1F0B-4C5E-8A6D-3B2F1E0D4C5B>\n"
                                                              "CSTRING text;\n}\nLabel {\n\"square\";\n}\n");
                      }},
                     1, {}},
        // Crashed: a name past the 512 bytes of Wine's token value, and so for the next one
        AcceptedCase{{"BinaryNameOf5000Bytes", [] { return binarySquare(std::string(5000, 'n')); }}, 1, {}},
        AcceptedCase{{"CompressedWithANameOf5000Bytes",
                      [] { return compressedFile(binarySquare(std::string(5000, 'n'))); }},
                     1, {}},
        // E_FAIL: "Reference to unknown object", the material of that name cut where it is kept
        AcceptedCase{{"AReferenceToANameOf41Bytes", [] {
                          const std::string name(41, 'n');
                          MeshText mesh;
                          mesh.materials = materialList("1;\n2;\n0,\n0;;", "{ " + name + " }\n");
                          return mesh.text().insert(16, "\n" + material(kWallTexture).insert(9, name + " "));
                      }},
                     1, {}}),
    labelOf<AcceptedCase>);

// Wine's D3DX refuses every cut short of the last brace (D3DXERR_INVALIDDATA when empty,
// DXFILEERR_BADFILETYPE inside the header, E_FAIL after it) and gives S_OK from there on.
TEST_F(BadInput, EveryCutOfTheSquareShortOfItsLastBraceIsRejected)
{
    ASSERT_TRUE(writeFile(kMeshFolder + kWallTexture, bitmapFile()));
    const std::string text = MeshText{}.text();
    const size_t whole = text.rfind('}') + 1;
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        callLog().clear();
        ASSERT_TRUE(writeFile(kMeshFile, text.substr(0, cut)));
        const bool loaded = registry.loadByName(kMeshFile);
        EXPECT_EQ(loaded, cut >= whole);
        if (loaded) {
            EXPECT_EQ(boxes(), std::vector<std::string>{});
            drawOnce(registry);
        } else {
            EXPECT_EQ(boxes(), std::vector{meshBox(kMeshFile)});
            expectFresh(entry(kMeshFile), kMeshFile);
        }
    }
}

// Whether a case's file is written. Some names can't exist on every host: a Linux path stops at
// 4096 bytes, the working folder included. The loader can't open what the test couldn't write,
// so such a name must end as a missing file does. (Names with Hungarian letters need the
// hu_HU.UTF-8 locale, through which Wine names files on Linux; the set-up script makes it.)
enum class OnDisk { No, Yes, IfTheHostCanNameIt };

// True when the file is there for the loader to find.
bool place(OnDisk disk, const std::string& path, const std::string& bytes)
{
    if (disk == OnDisk::No)
        return false;
    const testing::AssertionResult written = writeFile(path, bytes);
    if (disk == OnDisk::Yes) {
        EXPECT_TRUE(written);
    }
    return written;
}

struct TextureNameCase {
    std::string label;
    std::function<std::string()> name;
    OnDisk disk;
    size_t bytesKept = std::string::npos;   // how much of the name the loader hands back
};

void PrintTo(const TextureNameCase& row, std::ostream* out)
{
    *out << row.label;
}

class TextureName : public BadInput, public testing::WithParamInterface<TextureNameCase> {};

// The detail texture is there, so each case also shows whether the material asked for one.
TEST_P(TextureName, IsReadBesideTheMeshOrReportedByItsPath)
{
    const TextureNameCase& row = GetParam();
    const std::string name = row.name();
    ASSERT_TRUE(writeFile(kMeshFile, oneMaterialNaming(name)));
    ASSERT_TRUE(writeFile(kDetailTexture, bitmapFile()));
    const bool onDisk = place(row.disk, kMeshFolder + name, bitmapFile());

    EXPECT_TRUE(registry.loadByName(kMeshFile));

    const Model& model = entry(kMeshFile);
    ASSERT_EQ(model.materialCount, 1u);
    EXPECT_EQ(static_cast<bool>(model.textures[0]), onDisk);
    EXPECT_EQ(static_cast<bool>(model.detailTextures[0]), !name.empty());
    if (name.empty() || onDisk)
        EXPECT_EQ(boxes(), std::vector<std::string>{});
    else
        EXPECT_EQ(boxes(), std::vector{textureBox(kMeshFolder + name.substr(0, row.bytesKept))});
    drawOnce(registry);
}

// Wine's D3DX reads each mesh; what its texture loader gave stands above each case.
INSTANTIATE_TEST_SUITE_P(
    BadInputTextureNames, TextureName,
    testing::Values(
        // not called: the mesh loader hands back the empty name
        TextureNameCase{"Empty", [] { return std::string(); }, OnDisk::No},
        // D3DXERR_INVALIDDATA
        TextureNameCase{"Of260BytesMissing", [] { return std::string(256, 'n') + ".bmp"; },
                        OnDisk::No},
        // D3D_OK: a path of 269 bytes, past MAX_PATH, opens
        TextureNameCase{"Of260BytesInFolders", [] { return longPath(260, "t.bmp"); },
                        OnDisk::Yes},
        // D3DXERR_INVALIDDATA, for the first 511 bytes: all that Wine's text parser keeps
        TextureNameCase{"Of10000BytesMissing", [] { return std::string(9996, 'n') + ".bmp"; },
                        OnDisk::No, 511},
        // D3D_OK
        TextureNameCase{"WithHungarianLetters", [] { return cp1250(L"téglafal_őű.bmp"); },
                        OnDisk::Yes},
        // D3DXERR_INVALIDDATA
        TextureNameCase{"WithHungarianLettersMissing", [] { return cp1250(L"tető_ű.bmp"); },
                        OnDisk::No}),
    labelOf<TextureNameCase>);

struct FileCase {
    std::string label;
    std::function<std::string()> contents;
    bool loaderTakesIt;
};

void PrintTo(const FileCase& row, std::ostream* out)
{
    *out << row.label;
}


// The 2×2 bitmap with a header that claims width × height.
std::string bitmapClaiming(LONG width, LONG height)
{
    std::string bytes = bitmapFile();
    bytes.replace(sizeof(BITMAPFILEHEADER) + offsetof(BITMAPINFOHEADER, biWidth), sizeof width,
                  reinterpret_cast<const char*>(&width), sizeof width);
    bytes.replace(sizeof(BITMAPFILEHEADER) + offsetof(BITMAPINFOHEADER, biHeight), sizeof height,
                  reinterpret_cast<const char*>(&height), sizeof height);
    return bytes;
}

// A DDS file of 32-bit pixels (A8R8G8B8), or of the format `fourCc` names, with `pixelBytes` of
// pixel data whatever its header states; a volume when it has a depth.
std::string ddsFile(uint32_t width, uint32_t height, uint32_t mipLevels, size_t pixelBytes,
                    uint32_t fourCc = 0, uint32_t depth = 0)
{
    const uint32_t flags = 0x1007 | 0x20000 | (depth ? 0x800000 : 0);   // which fields count
    std::string pixelFormat = littleEndian(32, 4);
    if (fourCc)
        pixelFormat += littleEndian(0x4, 4) + littleEndian(fourCc, 4) + std::string(20, '\0');
    else
        pixelFormat += littleEndian(0x41, 4) + littleEndian(0, 4) + littleEndian(32, 4) +
                       littleEndian(0xFF0000, 4) + littleEndian(0xFF00, 4) +
                       littleEndian(0xFF, 4) + littleEndian(0xFF000000, 4);
    return "DDS " + littleEndian(124, 4) + littleEndian(flags, 4) + littleEndian(height, 4) +
           littleEndian(width, 4) + littleEndian(0, 4) + littleEndian(depth, 4) +
           littleEndian(mipLevels, 4) + std::string(44, '\0') + pixelFormat +
           littleEndian(0x1000, 4) + littleEndian(depth ? 0x200000 : 0, 4) +
           std::string(12, '\0') + std::string(pixelBytes, '\x80');
}

// A 2×2 Targa file of 32-bit pixels, uncompressed.
std::string targaFile()
{
    return std::string("\0\0\x02", 3) + std::string(9, '\0') + littleEndian(2, 2) +
           littleEndian(2, 2) + littleEndian(32, 1) + std::string(1, '\0') +
           std::string(16, '\x80');
}

std::string bigEndian(uint32_t value)
{
    std::string out = littleEndian(value, 4);
    return {out.rbegin(), out.rend()};
}

std::string pngChunk(const std::string& type, const std::string& data)
{
    const std::string typed = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                            static_cast<uInt>(typed.size()));
    return bigEndian(static_cast<uint32_t>(data.size())) + typed +
           bigEndian(static_cast<uint32_t>(crc));
}

// A PNG of grey pixels, 2×2 unless told: each row a filter byte and three bytes a pixel, deflated.
std::string pngFile(uint32_t width = 2, uint32_t height = 2)
{
    const std::string row = std::string(1, '\0') + std::string(3 * size_t{width}, '\x80');
    std::string rows;
    for (uint32_t y = 0; y < height; ++y)
        rows += row;
    uLongf packedBytes = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(packedBytes, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedBytes,
             reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size()));
    packed.resize(packedBytes);
    const std::string header = bigEndian(width) + bigEndian(height) + std::string("\x08\x02\0\0\0", 5);
    return std::string("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", packed) + pngChunk("IEND", "");
}

const auto kImageFiles = testing::Values(
    // D3DXERR_INVALIDDATA
    FileCase{"Empty", [] { return std::string(); }, false},
    // D3DXERR_INVALIDDATA: eight of the sixteen pixel bytes
    FileCase{"CutInsideThePixels", [] { return bitmapFile().substr(0, 62); }, false},
    // D3DXERR_INVALIDDATA under Wine 8, E_FAIL under Wine 10
    FileCase{"DimensionsBeyondItsPixels", [] { return bitmapClaiming(64, 64); }, false},
    // Each image below whose header states more than its file holds crashed the process inside
    // D3DXCreateTextureFromFileA, a page fault reading past a buffer, before the image check:
    // on Wine 8 and Wine 10 unless it says otherwise.
    FileCase{"BitmapOf65536By65536", [] { return bitmapClaiming(65536, 65536); }, false},
    FileCase{"BitmapOfTwoToThe30Rows", [] { return bitmapClaiming(2, 1 << 30); }, false},
    FileCase{"BitmapOfTwoToThe30RowsTopDown", [] { return bitmapClaiming(2, -(1 << 30)); },
             false},
    // Wine 8 only: Wine 10 refused it
    FileCase{"DdsOfFloatPixels32768Square",
             [] { return ddsFile(32768, 32768, 1, 16, D3DFMT_A32B32G32R32F); }, false},
    // Wine 8 only: Wine 10 refused it
    FileCase{"DdsVolume1024Cubed", [] { return ddsFile(1024, 1024, 1, 16, 0, 1024); }, false},
    // Loaded, but only after counting its levels for 12 to 29 s on Wine 8, 15 s on Wine 10
    FileCase{"DdsOfTwoToThe31MipLevels", [] { return ddsFile(2, 2, 1u << 31, 20); }, false},
    // Valid images, that load as they did: the first wider than any device's texture, which
    // D3DX scales down to the device's widest
    FileCase{"BitmapOf32768By2", [] { return bitmapFile(32768, 2); }, true},
    FileCase{"DdsOfTwoLevels", [] { return ddsFile(2, 2, 2, 20); }, true},
    FileCase{"Targa", targaFile, true},
    FileCase{"Png", [] { return pngFile(); }, true},
    // Valid, but a texture of more pixels than 4096 × 4096 takes gigabytes in D3DX: 3.6 GiB for
    // one of 16384 × 16384
    FileCase{"PngOf4097By4097", [] { return pngFile(4097, 4097); }, false},
    // A bitmap without its file header, which D3DX reads as well: crashed both Wines
    FileCase{"BareBitmapOf65536By65536", [] { return bitmapClaiming(65536, 65536).substr(14); },
             false},
    // Crashed Wine 10, which copies every entry of the map into a palette of 256
    FileCase{"TargaWithAColourMapOf300Entries", [] {
                 return std::string("\0\1\1\0\0", 5) + littleEndian(300, 2) + "\x18" +
                        std::string(4, '\0') + littleEndian(2, 2) + littleEndian(2, 2) + "\x08" +
                        std::string(1, '\0') + std::string(900, '\x40') + std::string(4, '\0');
             }, false},
    // Palette indices: Wine 8 converts them through the palette the caller did not give
    FileCase{"DdsOfPaletteIndices", [] {
                 std::string dds = ddsFile(2, 2, 1, 1024 + 4);
                 return dds.replace(80, 12, littleEndian(0x20, 4) + littleEndian(0, 4) +
                                                littleEndian(8, 4));
             }, false},
    FileCase{"BareBitmap", [] { return bitmapFile().substr(14); }, true},
    FileCase{"BitmapTopRowFirst", [] { return bitmapClaiming(2, -2); }, true});

class TextureFile : public BadInput, public testing::WithParamInterface<FileCase> {};

// No detail texture is written: a missing one is silent.
TEST_P(TextureFile, ThatTheLoaderRejectsIsReportedByItsPathAndTheModelStillLoads)
{
    ASSERT_TRUE(writeFile(kMeshFile, MeshText{}.text()));
    ASSERT_TRUE(writeFile(kMeshFolder + kWallTexture, GetParam().contents()));

    EXPECT_TRUE(registry.loadByName(kMeshFile));

    const Model& model = entry(kMeshFile);
    ASSERT_EQ(model.materialCount, 1u);
    EXPECT_EQ(static_cast<bool>(model.textures[0]), GetParam().loaderTakesIt);
    EXPECT_FALSE(model.detailTextures[0]);
    if (GetParam().loaderTakesIt)
        EXPECT_EQ(boxes(), std::vector<std::string>{});
    else
        EXPECT_EQ(boxes(), std::vector{textureBox(kMeshFolder + kWallTexture)});
    drawOnce(registry);
}

INSTANTIATE_TEST_SUITE_P(BadInputTextureFiles, TextureFile, kImageFiles, labelOf<FileCase>);

class DetailTexture : public BadInput, public testing::WithParamInterface<FileCase> {};

TEST_P(DetailTexture, ThatTheLoaderRejectsIsLeftOutWithoutABox)
{
    ASSERT_TRUE(writeFile(kMeshFile, MeshText{}.text()));
    ASSERT_TRUE(writeFile(kMeshFolder + kWallTexture, bitmapFile()));
    ASSERT_TRUE(writeFile(kDetailTexture, GetParam().contents()));

    EXPECT_TRUE(registry.loadByName(kMeshFile));

    const Model& model = entry(kMeshFile);
    ASSERT_EQ(model.materialCount, 1u);
    EXPECT_TRUE(model.textures[0]);
    EXPECT_EQ(static_cast<bool>(model.detailTextures[0]), GetParam().loaderTakesIt);
    EXPECT_EQ(boxes(), std::vector<std::string>{});
    drawOnce(registry);
}

INSTANTIATE_TEST_SUITE_P(BadInputDetailTextures, DetailTexture, kImageFiles,
                         labelOf<FileCase>);

struct ModelNameCase {
    std::string label;
    std::function<std::string()> name;
    OnDisk disk;
};

void PrintTo(const ModelNameCase& row, std::ostream* out)
{
    *out << row.label;
}

class ModelName : public BadInput, public testing::WithParamInterface<ModelNameCase> {};

// The mesh names a texture that isn't there, so its box shows the folder taken from the name.
TEST_P(ModelName, IsKeptWholeAndItsFolderPrefixesTheTexturePath)
{
    const std::string name = GetParam().name();
    const bool onDisk = place(GetParam().disk, name, oneMaterialNaming("nincs.bmp"));

    EXPECT_EQ(registry.loadByName(name), onDisk);

    ASSERT_EQ(registry.models.count(name), 1u);
    if (onDisk) {
        EXPECT_EQ(boxes(), std::vector{textureBox(folderOf(name) + "nincs.bmp")});
        EXPECT_TRUE(entry(name).mesh);
    } else {
        EXPECT_EQ(boxes(), std::vector{meshBox(name)});
        expectFresh(entry(name), name);
    }
    drawOnce(registry);
}

std::string everyHighByte()
{
    std::string name = "modellek\\";
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        name += static_cast<char>(byte);
    return name + ".x";
}

INSTANTIATE_TEST_SUITE_P(
    BadInputModelNames, ModelName,
    testing::Values(
        // D3DXERR_INVALIDDATA
        ModelNameCase{"Empty", [] { return std::string(); }, OnDisk::No},
        // S_OK: Wine's loader opens paths past MAX_PATH
        ModelNameCase{"Of499Bytes", [] { return longPath(499, "m.x"); }, OnDisk::Yes},
        // S_OK
        ModelNameCase{"Of500Bytes", [] { return longPath(500, "m.x"); }, OnDisk::Yes},
        // S_OK
        ModelNameCase{"Of501Bytes", [] { return longPath(501, "m.x"); }, OnDisk::Yes},
        // D3DXERR_INVALIDDATA on Linux, where no such path can be
        ModelNameCase{"Of4096Bytes", [] { return longPath(4096, "m.x"); },
                      OnDisk::IfTheHostCanNameIt},
        // S_OK, and so for the next two
        ModelNameCase{"WithHungarianLetters", [] { return cp1250(L"modellek\\kőház.x"); },
                      OnDisk::Yes},
        ModelNameCase{"WithHungarianLettersInItsFolder",
                      [] { return cp1250(L"épületek\\ház.x"); }, OnDisk::Yes},
        ModelNameCase{"WithEveryHighByte", everyHighByte, OnDisk::Yes},
        // A device, not a file: a read of it waited for ever (Wine opens the host's first serial
        // port for it where there is one)
        ModelNameCase{"ASerialPort", [] { return std::string("COM1"); }, OnDisk::No},
        // D3DXERR_INVALIDDATA
        ModelNameCase{"WithHungarianLettersMissing",
                      [] { return cp1250(L"modellek\\nincs_ilyen_ház.x"); }, OnDisk::No}),
    labelOf<ModelNameCase>);

} // namespace
