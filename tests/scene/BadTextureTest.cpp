// Texture names and texture files that D3DX can't read, or must not be given: each reported by
// its path, or left out without a box for the detail texture.
#include "tests/scene/BadInput.h"

#include <zlib.h>

namespace {

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
    // Valid, but a file past 128 MiB is not read: it would take the viewer past 1 GiB
    FileCase{"BitmapFollowedBy128MiB", [] { return bitmapFile() + std::string(128 << 20, '\0'); }, false},
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


} // namespace
