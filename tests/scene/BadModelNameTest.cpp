// Odd model names: kept whole, their folder prefixing the texture path, whatever bytes they hold.
#include "tests/scene/BadInput.h"

namespace {

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
