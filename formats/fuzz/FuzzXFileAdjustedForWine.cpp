// Fuzzes the reading of an .x body along Wine's grammar and the second try's adjustment of it, in
// the viewer's order: the adjusted bytes keep within their bound and stay an .x body.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "StandardTemplates.h"
#include "formats/XFileAdjustments.h"
#include "formats/XFileCheck.h"
#include "formats/XFileWineLimits.h"
#include "formats/fuzz/Property.h"

namespace {

// The declarations the viewer adds, from the same two macros of MinGW's D3DX header.
const std::vector<std::string_view> kStandardTemplates = {XSKINEXP_TEMPLATES, XEXTENSIONS_TEMPLATES};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<std::string> body =
        XFileUnpacked(std::string(reinterpret_cast<const char*>(data), size));
    if (!body)
        return 0;
    XFileFitsWinesReader(*body);
    const std::optional<std::string> adjusted = XFileAdjustedForWine(*body, kStandardTemplates);
    if (!adjusted)
        return 0;
    RequireProperty(adjusted->size() <= XFileAdjustedLimit(body->size(), kStandardTemplates),
                    "the adjusted bytes are no more than XFileAdjustedLimit");
    RequireProperty(XFileUnpacked(*adjusted) == adjusted, "the adjusted bytes are an .x body as they are");
    XFileFitsWinesReader(*adjusted);
    return 0;
}
