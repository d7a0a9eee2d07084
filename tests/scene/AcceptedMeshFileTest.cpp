// Malformed .x files that load all the same, by Wine's D3DX itself or by the second try from
// adjusted bytes, and every cut of the square.
#include "tests/scene/BadMeshFiles.h"

namespace {


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


} // namespace
