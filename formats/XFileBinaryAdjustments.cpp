// The adjustments of a binary .x file, made on its tokens: each a WORD, a name or a string then
// with a DWORD length and its bytes (a string then with a WORD that ends it), an integer with a
// DWORD, a GUID with 16 bytes, an integer or float list with a DWORD count and that many DWORDs
// or floats (4 bytes each to Wine's reader, whatever the header says).
#include <algorithm>
#include <cctype>
#include <iterator>
#include <map>

#include "formats/FileBytes.h"
#include "formats/XFileAdjustments.h"

namespace {

enum Token : uint16_t {
    kName = 1, kString = 2, kInteger = 3, kGuid = 5, kIntegerList = 6, kFloatList = 7,
    kOpenBrace = 10, kCloseBrace = 11, kComma = 19, kTemplate = 31, kLpstr = 49, kCstring = 51
};

struct BinaryToken {
    uint16_t id;
    size_t begin;   // of its WORD
    size_t dataBegin;   // of a name's or a string's bytes, or of a list's values
    uint32_t count;   // a name's or a string's bytes, or a list's values
};

// The tokens of the body, or nothing when one runs past it (the checks before have seen to that).
std::optional<std::vector<BinaryToken>> BinaryTokens(const std::string& file)
{
    std::vector<BinaryToken> tokens;
    size_t at = kXFileHeaderBytes;
    while (at < file.size()) {
        if (file.size() - at < 2)
            return std::nullopt;
        BinaryToken token{static_cast<uint16_t>(ReadLittleEndian(file, at, 2)), at, at + 2, 0};
        uint64_t dataBytes = token.id == kInteger ? 4 : token.id == kGuid ? 16 : 0;
        if (token.id == kName || token.id == kString || token.id == kIntegerList ||
            token.id == kFloatList) {
            if (file.size() - token.dataBegin < 4)
                return std::nullopt;
            token.count = ReadLittleEndian(file, token.dataBegin, 4);
            token.dataBegin += 4;
            dataBytes = token.id == kName     ? token.count
                      : token.id == kString   ? token.count + uint64_t{2}
                                              : token.count * uint64_t{4};
        }
        if (file.size() - token.dataBegin < dataBytes)
            return std::nullopt;
        at = token.dataBegin + dataBytes;
        tokens.push_back(token);
    }
    return tokens;
}

std::string LittleEndian(uint32_t value, size_t width)
{
    std::string bytes;
    for (size_t i = 0; i < width; ++i)
        bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

std::string NameToken(uint16_t id, std::string_view name)
{
    return LittleEndian(id, 2) + LittleEndian(static_cast<uint32_t>(name.size()), 4) + std::string(name);
}

// A GUID's text, `<3CF169CE-FF7C-44ab-93C0-F78F62D172E2>`, as its 16 bytes: the first three
// parts little-endian, the rest as written.
std::string GuidBytes(std::string_view text)
{
    std::string hex;
    std::copy_if(text.begin(), text.end(), std::back_inserter(hex),
                 [](unsigned char c) { return std::isxdigit(c) != 0; });
    hex.resize(32, '0');
    auto number = [&](size_t at, size_t digits) {
        return static_cast<uint32_t>(std::stoul(hex.substr(at, digits), nullptr, 16));
    };
    std::string bytes = LittleEndian(number(0, 8), 4) + LittleEndian(number(8, 4), 2) +
                        LittleEndian(number(12, 4), 2);
    for (size_t at = 16; at < 32; at += 2)
        bytes += static_cast<char>(number(at, 2));
    return bytes;
}

// Template declarations, as text, as binary tokens. A declaration holds no strings.
std::string TemplatesAsTokens(std::string_view text)
{
    static const std::map<std::string_view, uint16_t> kWordTokens = {
        {"template", kTemplate}, {"WORD", 40}, {"DWORD", 41}, {"FLOAT", 42}, {"DOUBLE", 43},
        {"CHAR", 44}, {"UCHAR", 45}, {"SWORD", 46}, {"SDWORD", 47}, {"VOID", 48},
        {"STRING", kLpstr}, {"UNICODE", 50}, {"CSTRING", kCstring}, {"array", 52}};
    static const std::string_view kPunctuation = "{}()[]<>.,;";   // tokens 10 to 20
    std::string tokens;
    for (const TextToken& token : TextTokens(text, 0)) {
        if (token.kind == TextToken::Kind::Guid) {
            tokens += LittleEndian(kGuid, 2) + GuidBytes(token.text);
        } else if (token.kind == TextToken::Kind::Punctuation) {
            tokens += LittleEndian(static_cast<uint32_t>(kOpenBrace + kPunctuation.find(token.text[0])), 2);
        } else if (std::all_of(token.text.begin(), token.text.end(),
                               [](unsigned char c) { return std::isdigit(c) != 0; })) {
            tokens += LittleEndian(kInteger, 2) + LittleEndian(static_cast<uint32_t>(std::stoul(std::string(token.text))), 4);
        } else {
            const auto keyword = std::find_if(kWordTokens.begin(), kWordTokens.end(), [&](const auto& entry) {
                return EqualsIgnoringCase(entry.first, token.text);
            });
            tokens += keyword != kWordTokens.end() ? LittleEndian(keyword->second, 2)
                                                   : NameToken(kName, token.text);
        }
    }
    return tokens;
}

// The edits that make a short material list's numbers one index a face: the index count becomes
// the face count, the index is repeated for each face.
void AdjustNumber(const std::string& file, const BinaryToken& token, size_t valueAt,
                  ShortMaterialLists& materialLists, std::vector<ByteEdit>& edits)
{
    const uint32_t value = ReadLittleEndian(file, valueAt, 4);
    const ShortMaterialLists::Number number = materialLists.next(token.id == kFloatList ? 0 : value);
    const uint32_t faces = materialLists.faceCount();
    if (token.id == kFloatList || number == ShortMaterialLists::Number::Other)
        return;
    if (number == ShortMaterialLists::Number::IndexCount) {
        edits.push_back({valueAt, valueAt + 4, LittleEndian(faces, 4)});
    } else if (token.id == kIntegerList) {
        std::string more;
        for (uint32_t i = 1; i < faces; ++i)
            more += LittleEndian(value, 4);
        edits.push_back({valueAt + 4, valueAt + 4, more});
        edits.push_back({token.dataBegin - 4, token.dataBegin, LittleEndian(token.count + faces - 1, 4)});
    } else {
        std::string list = file.substr(token.begin, 6);
        for (uint32_t i = 1; i < faces; ++i)
            list += LittleEndian(kComma, 2) + file.substr(token.begin, 6);
        edits.push_back({token.begin, token.begin + 6, list});
    }
}

} // namespace

std::optional<std::string> AdjustedBinaryXFile(const std::string& file,
                                               const std::vector<std::string_view>& standardTemplates)
{
    const std::optional<std::vector<BinaryToken>> tokens = BinaryTokens(file);
    if (!tokens)
        return std::nullopt;
    std::vector<ByteEdit> edits;
    std::vector<std::string> names;
    std::vector<std::string> declaredNames;
    std::vector<std::string> longNames;
    ShortMaterialLists materialLists(file.size());
    // The names since the last other token: at an object's brace, its template name and its own.
    std::vector<std::string> headerNames;
    for (size_t i = 0; i < tokens->size(); ++i) {
        const BinaryToken& token = (*tokens)[i];
        if (token.id == kName) {
            const std::string name = file.substr(token.dataBegin, token.count);
            if (i > 0 && (*tokens)[i - 1].id == kTemplate)
                declaredNames.push_back(name);
            if (name.size() >= kShortestShortenedName &&
                std::find(longNames.begin(), longNames.end(), name) == longNames.end())
                longNames.push_back(name);
            names.push_back(name);
            headerNames.push_back(name);
            continue;
        }
        if (token.id == kCstring)
            edits.push_back({token.begin, token.begin + 2, LittleEndian(kLpstr, 2)});
        else if (token.id == kOpenBrace)
            materialLists.objectOpened(headerNames.empty() ? "" : headerNames.front());
        else if (token.id == kCloseBrace)
            materialLists.objectClosed();
        else if (token.id == kInteger)
            AdjustNumber(file, token, token.dataBegin, materialLists, edits);
        else if (token.id == kIntegerList || token.id == kFloatList)
            for (uint32_t k = 0; k < token.count; ++k)
                AdjustNumber(file, token, token.dataBegin + 4 * size_t{k}, materialLists, edits);
        headerNames.clear();
    }

    // Each use of a long name: as a name, and as a string that names it (a bone's frame).
    const std::vector<std::string> shortNames = ShortNamesFor(longNames, names);
    for (const BinaryToken& token : *tokens) {
        if (token.id != kName && token.id != kString)
            continue;
        const auto longName =
            std::find(longNames.begin(), longNames.end(), file.substr(token.dataBegin, token.count));
        if (longName != longNames.end())
            edits.push_back({token.begin, token.dataBegin + token.count,
                             NameToken(token.id, shortNames[longName - longNames.begin()])});
    }

    const std::string missing = MissingStandardTemplates(standardTemplates, names, declaredNames);
    if (!missing.empty())
        edits.push_back({kXFileHeaderBytes, kXFileHeaderBytes, TemplatesAsTokens(missing)});
    if (edits.empty())
        return std::nullopt;
    return WithEdits(file, std::move(edits));
}
