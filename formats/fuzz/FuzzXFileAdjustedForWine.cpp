// Fuzzes the second try's adjustment of an .x file as the viewer makes it, on bytes the check
// let through: the adjusted bytes keep within their bound and pass the check once more.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "StandardTemplates.h"
#include "formats/XFileAdjustments.h"
#include "formats/XFileCheck.h"
#include "formats/fuzz/Property.h"

namespace {

// The declarations the viewer adds, from the same two macros of MinGW's D3DX header.
const std::vector<std::string_view> kStandardTemplates = {XSKINEXP_TEMPLATES, XEXTENSIONS_TEMPLATES};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<std::string> checked =
        XFileForLoader(std::string(reinterpret_cast<const char*>(data), size));
    if (!checked)
        return 0;
    const std::optional<std::string> adjusted = XFileAdjustedForWine(*checked, kStandardTemplates);
    if (!adjusted)
        return 0;
    RequireProperty(adjusted->size() <= XFileAdjustedLimit(checked->size(), kStandardTemplates),
                    "the adjusted bytes are no more than XFileAdjustedLimit");
    RequireProperty(XFileForLoader(*adjusted).has_value(), "the adjusted bytes pass the check again");
    return 0;
}
