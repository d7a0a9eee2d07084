// Adjusted bytes for an .x file that Wine's loader refused for one of its own limits, which
// Windows' loader doesn't have. The adjustments are lexical, on text and on binary tokens alike:
// D3DX still parses the file's objects and builds the mesh.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The bytes of a text or binary .x file, as XFileForLoader gives them, adjusted where they hold
// what Wine's loader refuses: standard templates used but not declared (their declarations are
// put after the header, taken from `standardTemplates`, text .x files of template declarations
// alone), a `CSTRING` member (read as `STRING`), a float with an exponent (written without one),
// a material list with one face index for a mesh of several faces (given one for each face), and
// a name of 64 bytes or more (shortened, each use with it). Nothing when none of these is there.
std::optional<std::string> XFileAdjustedForWine(const std::string& file,
                                                const std::vector<std::string_view>& standardTemplates);

// The most bytes that adjusted bytes hold: a small multiple of the file's and of the standard
// declarations they may add. A file whose adjustment would take more is not adjusted.
size_t XFileAdjustedLimit(size_t fileBytes, const std::vector<std::string_view>& standardTemplates);

// What the text and the binary side share.

constexpr size_t kXFileHeaderBytes = 16;

// A replacement of the bytes [begin, end); begin == end inserts.
struct ByteEdit {
    size_t begin;
    size_t end;
    std::string replacement;
};

std::string WithEdits(const std::string& bytes, std::vector<ByteEdit> edits);

std::optional<std::string> AdjustedTextXFile(const std::string& file,
                                             const std::vector<std::string_view>& standardTemplates);
std::optional<std::string> AdjustedBinaryXFile(const std::string& file,
                                               const std::vector<std::string_view>& standardTemplates);

// The tokens of a text body as Wine's reader splits them; comments and white space left out.
struct TextToken {
    enum class Kind { Word, String, Guid, Punctuation };
    Kind kind;
    size_t begin;   // in the text given
    std::string_view text;   // a string's without its quotes
};

std::vector<TextToken> TextTokens(std::string_view text, size_t from);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The declarations, as text, of the standard templates that a file uses (a name among
// `usedNames`) without declaring them (among `declaredNames`), and of those they are built of,
// each after what it needs.
std::string MissingStandardTemplates(const std::vector<std::string_view>& standardTemplates,
                                     const std::vector<std::string>& usedNames,
                                     const std::vector<std::string>& declaredNames);

// Names of this many bytes or more are refused by Wine's loader.
constexpr size_t kShortestShortenedName = 64;

// A short name for each of `longNames`, in order: one that none of `names` (all the file's) is,
// nor any other given here.
std::vector<std::string> ShortNamesFor(const std::vector<std::string>& longNames,
                                       const std::vector<std::string>& names);

// Follows the objects of a body and the numbers in them, in order, to find each material list
// that gives one face index for a mesh of several faces. The mesh states its vertex count, three
// numbers for each vertex, then its face count; the list its material count, then its index count.
class ShortMaterialLists {
public:
    enum class Number { Other, IndexCount, Index };

    // A mesh can't state more faces than its body has bytes.
    explicit ShortMaterialLists(size_t bodyBytes);
    void objectOpened(std::string_view templateName);
    void objectClosed();
    // What the next number of the body is to a short material list; an index count or an index
    // is to be written for the mesh's faceCount() faces.
    Number next(uint32_t value);
    uint32_t faceCount() const;

private:
    struct Object {
        bool mesh;
        bool materialList;
        uint64_t numbersSeen;
        uint64_t vertexCount;
        std::optional<uint32_t> faceCount;
        bool shortList;
    };
    size_t bodyBytes;
    std::vector<Object> open;
};
