// Adjusted bytes for an .x file that Wine's loader refuses, or can't read safely, for limits of
// its own that Windows' loader doesn't have. The adjustments are lexical, on text and on binary
// tokens alike: D3DX still parses the file's objects and builds the mesh.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The body of a text or binary .x file, as XFileUnpacked gives it, adjusted where it holds what
// Wine's loader refuses: standard templates used but not declared (their declarations are put
// after the header, taken from `standardTemplates`, text .x files of template declarations alone,
// as long as Wine's table has room for them), a `CSTRING` member (read as `STRING`), a float with
// an exponent (written without one), a material list with one face index for a mesh of several
// faces (given one for each face), and a name longer than Wine's 40-byte fields keep (shortened,
// each use with it). Nothing when none of these is there, or when the adjusted bytes would be
// more than XFileAdjustedLimit.
std::optional<std::string> XFileAdjustedForWine(const std::string& file,
                                                const std::vector<std::string_view>& standardTemplates);

// The most bytes that adjusted bytes hold: a small multiple of the file's and of the standard
// declarations they may add. A file whose adjustment would take more is not adjusted.
size_t XFileAdjustedLimit(size_t fileBytes, const std::vector<std::string_view>& standardTemplates);

