// What the second try's adjustment of an .x body is made of: its bounded edits, the bytes of
// tokens in either format, the standard templates to declare and the material lists to fill.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "formats/XFileTokens.h"

constexpr size_t kXFileHeaderBytes = 16;

// The edits of one adjustment, kept within the bytes the adjusted file may hold. Each replaces
// the bytes [begin, end) of the file; begin == end inserts. Their replacements share one string.
class ByteEdits {
public:
    ByteEdits(size_t fileBytes, size_t limit);

    // Whether `bytes` more fit; asked before a large replacement is made.
    bool haveRoomFor(size_t bytes) const;
    // False, with nothing added, when the edited file would hold more than the limit.
    bool add(size_t begin, size_t end, std::string_view replacement);
    bool empty() const { return edits.empty(); }
    // `file` with every edit made once, in the order of their bytes; an insertion goes before a
    // replacement at the same byte, and an edit inside an earlier one is dropped.
    std::string appliedTo(std::string_view file);

private:
    struct Edit {
        size_t begin;
        size_t end;
        size_t replacementAt;   // in `replacements`
        size_t replacementBytes;
    };

    size_t editedBytes;
    size_t limit;
    std::vector<Edit> edits;
    std::string replacements;
};

// The bytes of tokens in a text or a binary body.
std::string LittleEndian(uint32_t value, size_t width);
std::string NameBytes(bool binary, std::string_view name);
// `1.00E+00` as `1.00`: Wine's reader takes a number with an exponent for a name, and refuses
// it. Nothing for a word that is no such number.
std::optional<std::string> WithoutExponent(std::string_view word);

// The names, lowered, of the templates that `standardTemplates` declare.
std::unordered_set<std::string> StandardTemplateNames(const std::vector<std::string_view>& standardTemplates);

// The standard templates that a body uses (a name among `usedNames`, lowered) without declaring
// them (among `declaredNames`), with those they are built of, each after what it needs: their
// declarations in the body's format, and how many there are. `standardTemplates` are text .x
// files of template declarations alone.
struct MissingTemplates {
    std::string bytes;
    size_t count = 0;
};
MissingTemplates MissingStandardTemplates(const std::vector<std::string_view>& standardTemplates,
                                          const std::unordered_set<std::string>& usedNames,
                                          const std::unordered_set<std::string>& declaredNames,
                                          bool binary);

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
    size_t depth() const { return open.size(); }

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
