// Malformed .x files that the viewer refuses with its box, and the square that loads in every
// encoding: written at test time into a scratch folder and loaded on a real device under Wine.
#include "tests/scene/BadMeshFiles.h"

namespace {

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
        // Crashed: each reference followed into twenty more, six levels deep
        aroundCase("ReferencesThatMultiply", [] { return std::string(); }, [] {
            std::string frames = "Frame L0 {\n}\n";
            for (int level = 1; level <= 6; ++level)
                frames += "Frame L" + std::to_string(level) + " {\n" +
                          repeated("{ L" + std::to_string(level - 1) + " }\n", 20) + "}\n";
            return frames;
        }()),
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


} // namespace
