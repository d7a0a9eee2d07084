// Adjusted bytes for an .x body that Wine's reader refuses or can't read safely, made on its
// tokens as Wine's reader reads them, text and binary alike, in one pass and within a bound.
#include "formats/XFileAdjustments.h"

#include <unordered_map>

#include "formats/FileBytes.h"
#include "formats/XFileAdjusting.h"
#include "formats/XFileWineLimits.h"

namespace {

// A short name is the long one's first bytes and a number: within Wine's 40 bytes.
constexpr size_t kShortNamePrefix = 24;
// A binary lone integer is a WORD and a DWORD; a comma between two of them, a WORD.
constexpr size_t kIntegerTokenBytes = 6;

class Adjustment {
public:
    Adjustment(const std::string& file, const std::vector<std::string_view>& standardTemplates)
        : file(file), binary(file.compare(8, 4, "bin ") == 0), standardTemplates(standardTemplates),
          tokens(file), edits(file.size(), XFileAdjustedLimit(file.size(), standardTemplates)),
          materialLists(file.size()), standardNames(StandardTemplateNames(standardTemplates))
    {
    }

    std::optional<std::string> adjusted()
    {
        if (!readTokens() || !shortenLongNames() || !declareMissingTemplates() || edits.empty())
            return std::nullopt;
        return edits.appliedTo(file);
    }

private:
    // False when the edits would take more bytes than the bound.
    bool readTokens()
    {
        for (XTokenSpan token = tokens.next(); token.id != XToken::None; token = tokens.next()) {
            const bool stop = token.id == XToken::Error || token.id == XToken::Unsafe;
            if (!(stop ? unreadable(token) : adjust(token)))
                return false;
            if (stop && !tokens.resumeAfter(token))
                break;
        }
        return true;
    }

    bool adjust(const XTokenSpan& token)
    {
        switch (token.id) {
        case XToken::Name:
            if (!binary && WithoutExponent(token.text))
                return unreadable(token);
            name(token, binary ? token.text : bytesOf(token));
            return true;
        case XToken::Template:
            ++fileTemplates;
            headerName.reset();
            declaring = true;
            return true;
        case XToken::OpenBrace:
            // Adjustments make nothing shallower: a file nested past Wine's bound stays refused.
            if (materialLists.depth() == kDeepestNesting)
                return false;
            materialLists.objectOpened(headerName.value_or(""));
            break;
        case XToken::CloseBrace:
            materialLists.objectClosed();
            break;
        case XToken::Cstring:
            // Wine's reader takes no CSTRING member; a STRING one holds the same text.
            headerName.reset();
            declaring = false;
            return edits.add(token.begin, token.end, binary ? LittleEndian(uint16_t(XToken::Lpstr), 2) : "STRING");
        case XToken::Integer:
        case XToken::Float:
            headerName.reset();
            return number(token, token.id == XToken::Integer ? token.value : 0);
        default:
            break;
        }
        headerName.reset();
        declaring = false;
        return true;
    }

    // A token Wine's reader stops at: a text number with an exponent is written without one, and
    // a binary name too long for Wine's value buffer is shortened like any long name.
    bool unreadable(const XTokenSpan& token)
    {
        const std::string_view word = bytesOf(token);
        if (binary && token.id == XToken::Unsafe && ReadLittleEndian(file, token.begin, 2) == uint16_t(XToken::Name)) {
            name(token, word.substr(kIntegerTokenBytes));
            return true;
        }
        const std::optional<std::string> plain = binary ? std::nullopt : WithoutExponent(word);
        if (!plain)
            return true;
        const ShortMaterialLists::Number use = materialLists.next(0);
        return use != ShortMaterialLists::Number::Other || edits.add(token.begin, token.end, *plain);
    }

    // Of the names, only those that can matter are kept: standard templates, those a short name
    // could be taken for, and the long ones, as places in the file.
    void name(const XTokenSpan& token, std::string_view fullName)
    {
        const std::string lowered = Lowered(fullName);
        if (standardNames.contains(lowered))
            (declaring ? declaredStandard : usedStandard).insert(lowered);
        declaring = false;
        if (MayBeAShortName(lowered))
            shortShaped.insert(lowered);
        if (!headerName)
            headerName = std::string(fullName.substr(0, kLongestWineName + 1));
        if (fullName.size() > kLongestWineName)
            longNames.push_back({token.begin, token.end, fullName});
    }

    static std::string ShortName(std::string_view longName, size_t number)
    {
        return std::string(longName.substr(0, kShortNamePrefix)) + "_" + std::to_string(number);
    }

    static bool MayBeAShortName(std::string_view name)
    {
        return name.size() > kShortNamePrefix + 1 && name.size() <= kLongestWineName &&
               name[kShortNamePrefix] == '_' &&
               name.find_first_not_of("0123456789", kShortNamePrefix + 1) == std::string_view::npos;
    }

    bool number(const XTokenSpan& token, uint32_t value)
    {
        const ShortMaterialLists::Number use = materialLists.next(value);
        const uint32_t faces = materialLists.faceCount();
        if (use == ShortMaterialLists::Number::IndexCount) {
            if (binary)
                return edits.add(token.end - 4, token.end, LittleEndian(faces, 4));
            return edits.add(token.begin, token.end, std::to_string(faces));
        }
        return use != ShortMaterialLists::Number::Index || repeatIndex(token, faces);
    }

    // The one index of a short material list, written once for each face.
    bool repeatIndex(const XTokenSpan& token, uint32_t faces)
    {
        const std::string_view index = bytesOf(token);
        if (binary && token.list) {
            const size_t countAt = *token.list + 2;
            const uint32_t count = ReadLittleEndian(file, countAt, 4);
            return edits.haveRoomFor(size_t{faces} * 4) &&
                   edits.add(countAt, countAt + 4, LittleEndian(count + faces - 1, 4)) &&
                   edits.add(token.end, token.end, Repeated("", index, faces - 1));
        }
        const std::string separator = binary ? LittleEndian(uint16_t(XToken::Comma), 2) : ",";
        if (!edits.haveRoomFor(size_t{faces} * (index.size() + separator.size())))
            return false;
        return edits.add(token.begin, token.end, std::string(index) + Repeated(separator, index, faces - 1));
    }

    static std::string Repeated(const std::string& separator, std::string_view piece, uint32_t times)
    {
        std::string repeated;
        repeated.reserve(times * (separator.size() + piece.size()));
        for (uint32_t i = 0; i < times; ++i)
            repeated.append(separator).append(piece);
        return repeated;
    }

    // Each use of a name longer than Wine's 40-byte fields keep gets one short name, the same
    // everywhere, that no other name of the file has. Strings are left as they are: a texture's
    // file name is no object's.
    bool shortenLongNames()
    {
        std::unordered_map<std::string_view, std::string> shortNames;
        for (const LongName& name : longNames) {
            auto [entry, isNew] = shortNames.try_emplace(name.text);
            while (isNew && (entry->second.empty() || shortShaped.contains(Lowered(entry->second))))
                entry->second = ShortName(name.text, ++shortNamesMade);
            if (!edits.add(name.begin, name.end, NameBytes(binary, entry->second)))
                return false;
        }
        return true;
    }

    // Never more than Wine's table holds: such a file is refused rather than tried.
    bool declareMissingTemplates()
    {
        const MissingTemplates missing = MissingStandardTemplates(standardTemplates, usedStandard, declaredStandard, binary);
        if (missing.count == 0)
            return true;
        return fileTemplates + missing.count <= kMostFileTemplates &&
               edits.add(kXFileHeaderBytes, kXFileHeaderBytes, missing.bytes);
    }

    std::string_view bytesOf(const XTokenSpan& token) const
    {
        return std::string_view(file).substr(token.begin, token.end - token.begin);
    }

    struct LongName {
        size_t begin;
        size_t end;
        std::string_view text;
    };

    const std::string& file;
    const bool binary;
    const std::vector<std::string_view>& standardTemplates;
    XTokenReader tokens;
    ByteEdits edits;
    ShortMaterialLists materialLists;
    // The first of the names since the last other token: at an object's brace, its template's.
    std::optional<std::string> headerName;
    const std::unordered_set<std::string> standardNames;   // lowered, as every set here
    std::unordered_set<std::string> usedStandard;
    std::unordered_set<std::string> declaredStandard;
    std::unordered_set<std::string> shortShaped;
    std::vector<LongName> longNames;
    size_t fileTemplates = 0;
    size_t shortNamesMade = 0;
    bool declaring = false;
};

} // namespace

std::optional<std::string> XFileAdjustedForWine(const std::string& file,
                                                const std::vector<std::string_view>& standardTemplates)
{
    if (file.size() < kXFileHeaderBytes)
        return std::nullopt;
    const std::string_view format = std::string_view(file).substr(8, 4);
    if (format != "txt " && format != "bin ")
        return std::nullopt;
    return Adjustment(file, standardTemplates).adjusted();
}

size_t XFileAdjustedLimit(size_t fileBytes, const std::vector<std::string_view>& standardTemplates)
{
    // A declaration as binary tokens takes at most twice its text; an index repeated for each of
    // a mesh's faces takes less than the faces, or than the bytes the file has for them.
    constexpr size_t kGrowth = 4;
    size_t declarationBytes = 0;
    for (std::string_view declarations : standardTemplates)
        declarationBytes += declarations.size();
    return kGrowth * (fileBytes + declarationBytes);
}
