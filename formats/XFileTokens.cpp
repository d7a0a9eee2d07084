// Reading an .x body token by token, rule for rule as Wine's reader (d3dxof's parsing.c, the
// same in Wine 8 and 10) reads it.
#include "formats/XFileTokens.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr size_t kHeaderBytes = 16;
// A text GUID is `<` 36 characters `>`; Wine looks for the `>` within 48 bytes.
constexpr size_t kGuidTextBytes = 38;
constexpr size_t kGuidScanBytes = 48;
constexpr size_t kGuidBytes = 16;

// Wine's reader counts a zero byte as white space.
bool IsSpace(char c)
{
    return c == '\0' || c == '\r' || c == '\n' || c == ' ' || c == '\t';
}

bool IsOperator(char c)
{
    return std::string_view("{}[]()<>,;").find(c) != std::string_view::npos;
}

bool IsSeparator(char c)
{
    return IsSpace(c) || IsOperator(c);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' || c == '-';
}

XToken OperatorToken(char c)
{
    constexpr std::string_view kOperators = "{}()[]<>";
    if (c == ',')
        return XToken::Comma;
    if (c == ';')
        return XToken::Semicolon;
    return static_cast<XToken>(static_cast<uint16_t>(XToken::OpenBrace) + kOperators.find(c));
}

struct Keyword {
    std::string_view word;
    XToken token;
};

// In the order Wine tries them, each matched without case and ended by a separator.
constexpr std::array kKeywords = {
    Keyword{"template", XToken::Template}, Keyword{"WORD", XToken::Word},
    Keyword{"DWORD", XToken::Dword}, Keyword{"FLOAT", XToken::Float},
    Keyword{"DOUBLE", XToken::Double}, Keyword{"CHAR", XToken::Char},
    Keyword{"UCHAR", XToken::Uchar}, Keyword{"SWORD", XToken::Sword},
    Keyword{"SDWORD", XToken::Sdword}, Keyword{"VOID", XToken::Void},
    Keyword{"STRING", XToken::Lpstr}, Keyword{"UNICODE", XToken::Unicode},
    Keyword{"CSTRING", XToken::Cstring}, Keyword{"array", XToken::Array}};

bool StartsWithoutCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// `<3CF169CE-FF7C-44ab-93C0-F78F62D172E2>`: hex digits in groups of 8, 4, 4, 4 and 12.
bool IsCanonicalGuid(std::string_view text)
{
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

// Wine reads digits with sscanf into 32 bits; past that, its value is taken as the largest.
uint32_t IntegerValue(std::string_view digits)
{
    uint64_t value = 0;
    for (char c : digits)
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c - '0'), UINT32_MAX);
    return static_cast<uint32_t>(value);
}

XTokenSpan Spanned(XToken id, size_t begin, size_t end, std::string_view text = {},
                   uint32_t value = 0, std::optional<size_t> list = std::nullopt)
{
    return XTokenSpan{id, begin, end, text, value, list};
}

} // namespace

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

XTokenReader::XTokenReader(std::string_view file)
    : file(file), at(kHeaderBytes), text(file.size() >= 12 && file.substr(8, 4) == "txt ")
{
}

XTokenSpan XTokenReader::next()
{
    XTokenSpan token = peek();
    // A stop stays: Wine's reader goes no further.
    if (token.id != XToken::None && token.id != XToken::Error && token.id != XToken::Unsafe)
        peeked.reset();
    return token;
}

const XTokenSpan& XTokenReader::peek()
{
    if (!peeked)
        peeked = read();
    return *peeked;
}

void XTokenReader::skipList()
{
    if (!peeked || !peeked->list)
        return;
    // A value read leaves its own comma and the values after it; a comma, the values after it.
    const uint64_t valuesLeft = peeked->id == XToken::Comma ? listLeft : listLeft - 1;
    peeked.reset();
    listLeft = 0;
    commaDue = false;
    // Values the list states but the body doesn't hold end Wine's reading with an error.
    at = file.size() - at >= valuesLeft * 4 ? at + valuesLeft * 4 : file.size() + 1;
}

bool XTokenReader::resumeAfter(const XTokenSpan& stop)
{
    if (stop.id == XToken::None || (!text && stop.id == XToken::Error) || stop.end > file.size())
        return false;
    at = stop.end;
    peeked.reset();
    return true;
}

XTokenSpan XTokenReader::read()
{
    if (at > file.size())
        return Spanned(XToken::Error, file.size(), file.size());
    return text ? readText() : readBinary();
}

XTokenSpan XTokenReader::readText()
{
    while (at < file.size()) {
        const size_t begin = at;
        const char c = file[at++];
        if (c == '#' || c == '/') {
            // A comment runs to the end of its line; a lone slash is an error.
            if (c == '/' && (at == file.size() || file[at++] != '/'))
                return Spanned(XToken::Error, begin, at);
            const size_t lineEnd = file.find('\n', at);
            if (lineEnd == std::string_view::npos)
                break;
            at = lineEnd + 1;
        } else if (IsSpace(c)) {
            continue;
        } else if (IsOperator(c) && c != '<') {
            return Spanned(OperatorToken(c), begin, at);
        } else if (c == '.') {
            return Spanned(XToken::Dot, begin, at);
        } else {
            return readWord(begin);
        }
    }
    at = file.size();
    return Spanned(XToken::None, at, at);
}

// What a text token that is no operator is, tried as Wine tries it: a keyword, a GUID, an
// integer, a float, a string, a name.
XTokenSpan XTokenReader::readWord(size_t begin)
{
    const std::string_view rest = file.substr(begin);
    auto taken = [&](XToken id, size_t bytes, std::string_view kept = {}) {
        at = begin + bytes;
        return Spanned(id, begin, at, kept);
    };
    for (const Keyword& keyword : kKeywords) {
        const size_t length = keyword.word.size();
        if (StartsWithoutCase(rest, keyword.word) && (rest.size() == length || IsSeparator(rest[length])))
            return taken(keyword.token, length);
    }
    if (rest[0] == '<' && rest.size() >= kGuidTextBytes) {
        // Wine looks for the `>` without regard to where the bytes end.
        const size_t close = rest.find('>', 1);
        if (close == std::string_view::npos && rest.size() < kGuidScanBytes)
            return Spanned(XToken::Unsafe, begin, file.size());
        if (close + 1 == kGuidTextBytes) {
            // Wine takes the 38 bytes whatever sscanf makes of them; only a GUID as the format
            // writes it is read the same by both.
            if (!IsCanonicalGuid(rest.substr(0, kGuidTextBytes)))
                return Spanned(XToken::Unsafe, begin, begin + kGuidTextBytes);
            return taken(XToken::Guid, kGuidTextBytes);
        }
    }
    size_t length = 0;
    while (length < rest.size() && !IsSeparator(rest[length]))
        ++length;
    const std::string_view word = rest.substr(0, length);
    const std::string_view kept = word.substr(0, kLongestTokenValue);
    if (length == 0) {
        // A `<` that begins no GUID reads as an integer of no digits and no value, and then
        // again: Wine's reader never gets past it.
        at = file.size() + 1;
        return Spanned(XToken::Integer, begin, begin, {}, UINT32_MAX);
    }
    if (std::all_of(word.begin(), word.end(), IsDigit)) {
        XTokenSpan integer = taken(XToken::Integer, length);
        integer.value = IntegerValue(word);
        return integer;
    }
    const bool isFloat = word.find_first_not_of("-.0123456789") == std::string_view::npos &&
                         word.find('-', 1) == std::string_view::npos &&
                         std::count(word.begin(), word.end(), '.') <= 1;
    if (isFloat)
        return taken(XToken::Float, length);
    if (rest[0] == '"') {
        const size_t close = rest.find('"', 1);
        if (close != std::string_view::npos)
            return taken(XToken::Lpstr, close + 1, rest.substr(1, std::min(close - 1, kLongestTokenValue)));
    }
    if (!std::all_of(word.begin(), word.end(), IsNameCharacter))
        return Spanned(XToken::Error, begin, begin + length);
    return taken(XToken::Name, length, kept);
}

std::optional<uint32_t> XTokenReader::dword(size_t from) const
{
    if (file.size() < from || file.size() - from < 4)
        return std::nullopt;
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= uint32_t(static_cast<unsigned char>(file[from + i])) << (8 * i);
    return value;
}

XTokenSpan XTokenReader::readBinary()
{
    const size_t begin = at;
    XToken id = XToken::None;
    if (listLeft == 0) {
        if (file.size() - at < 2)
            return Spanned(XToken::None, at, at);
        id = static_cast<XToken>(uint8_t(file[at]) | uint16_t(uint8_t(file[at + 1]) << 8));
        at += 2;
        if (id == XToken::IntegerList || id == XToken::FloatList) {
            const std::optional<uint32_t> count = dword(at);
            if (!count)
                return Spanned(XToken::Error, begin, file.size());
            at += 4;
            listLeft = *count;
            listFloat = id == XToken::FloatList;
            listBegin = begin;
            // An empty list reads on as the token of one value: an integer, or the keyword FLOAT.
            id = listFloat ? XToken::Float : XToken::Integer;
        }
    }
    if (listLeft != 0)
        return readListValue();

    XTokenSpan token = Spanned(id, begin, at);
    if (id == XToken::Name || id == XToken::String) {
        const std::optional<uint32_t> count = dword(at);
        if (!count || file.size() - at - 4 < *count)
            return Spanned(XToken::Error, begin, file.size());
        // Wine copies the bytes into its 512-byte value, then a zero after them.
        if (*count > kLongestTokenValue)
            return Spanned(XToken::Unsafe, begin, at + 4 + *count);
        token.text = file.substr(at + 4, *count);
        token.id = id == XToken::String ? XToken::Lpstr : XToken::Name;
        at += 4 + *count;
    } else if (id == XToken::Integer) {
        const std::optional<uint32_t> value = dword(at);
        if (!value)
            return Spanned(XToken::Error, begin, file.size());
        token.value = *value;
        at += 4;
    } else if (id == XToken::Guid) {
        if (file.size() - at < kGuidBytes)
            return Spanned(XToken::Error, begin, file.size());
        at += kGuidBytes;
    } else {
        const auto number = static_cast<uint16_t>(id);
        const bool alone = (number >= 10 && number <= 20) || id == XToken::Template || (number >= 40 && number <= 52);
        if (!alone)
            return Spanned(XToken::Error, begin, at);
    }
    token.end = at;
    return token;
}

// A list's value, each followed by a comma that takes no bytes, the last one too.
XTokenSpan XTokenReader::readListValue()
{
    if (commaDue) {
        --listLeft;
        commaDue = false;
        return Spanned(XToken::Comma, at, at, {}, 0, listBegin);
    }
    const std::optional<uint32_t> value = dword(at);
    if (!value)
        return Spanned(XToken::Error, at, file.size());
    commaDue = true;
    at += 4;
    return Spanned(listFloat ? XToken::Float : XToken::Integer, at - 4, at, {}, *value, listBegin);
}
