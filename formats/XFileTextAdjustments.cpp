// The adjustments of a text .x file, made on its tokens as Wine's reader splits them.
#include "formats/XFileAdjustments.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsSpace(char c)
{
    return c == '\0' || c == '\r' || c == '\n' || c == ' ' || c == '\t';
}

bool IsOperator(char c)
{
    return std::string_view("{}[]()<>,;").find(c) != std::string_view::npos;
}

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

size_t DigitsEnd(std::string_view text, size_t at)
{
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return at;
}

// Wine's reader takes a word that starts as a number for one, or refuses it.
bool IsNumber(std::string_view word)
{
    return IsDigit(word[0]) || (word.size() > 1 && word[0] == '-' && IsDigit(word[1]));
}

// The value of a word of digits alone, as far as 32 bits go; 0 for any other number.
uint32_t IntegerValue(std::string_view word)
{
    if (DigitsEnd(word, 0) != word.size())
        return 0;
    uint64_t value = 0;
    for (char c : word)
        value = std::min<uint64_t>(value * 10 + (c - '0'), UINT32_MAX);
    return static_cast<uint32_t>(value);
}

// Wine's reader keeps 512 bytes of a number.
constexpr size_t kLongestNumber = 500;

// `1.00E+00` as `1.00`, `-3.84E+01` as `-38.4`, `1.53e-15` as `0.00000000000000153`: the same
// digits with the point moved, so the same value. Wine's reader takes a number with an exponent
// for a name, and refuses it. Nothing for a word that is no such number.
std::optional<std::string> WithoutExponent(std::string_view word)
{
    const bool negative = word.starts_with('-');
    const size_t wholeBegin = negative ? 1 : 0;
    size_t at = DigitsEnd(word, wholeBegin);
    std::string digits(word.substr(wholeBegin, at - wholeBegin));
    if (digits.empty())
        return std::nullopt;
    if (at < word.size() && word[at] == '.') {
        const size_t fractionEnd = DigitsEnd(word, at + 1);
        digits += word.substr(at + 1, fractionEnd - at - 1);
        at = fractionEnd;
    }
    if (at == word.size() || (word[at] != 'e' && word[at] != 'E'))
        return std::nullopt;
    ++at;
    const bool negativeExponent = at < word.size() && word[at] == '-';
    if (at < word.size() && (word[at] == '-' || word[at] == '+'))
        ++at;
    const size_t exponentEnd = DigitsEnd(word, at);
    if (exponentEnd == at || exponentEnd != word.size() || exponentEnd - at > 3)
        return std::nullopt;
    const int exponent = std::stoi(std::string(word.substr(at)));
    const long wholeDigits = static_cast<long>(DigitsEnd(word, wholeBegin) - wholeBegin);
    long point = wholeDigits + (negativeExponent ? -exponent : exponent);
    if (point < 1) {
        digits.insert(0, static_cast<size_t>(1 - point), '0');
        point = 1;
    }
    // A digit after the point: a number without one is an integer to Wine's reader.
    if (static_cast<size_t>(point) >= digits.size())
        digits.append(static_cast<size_t>(point) + 1 - digits.size(), '0');
    if (digits.size() + 2 > kLongestNumber)
        return std::nullopt;
    std::string plain(negative ? "-" : "");
    plain.append(digits, 0, static_cast<size_t>(point)).append(".").append(digits, static_cast<size_t>(point));
    return plain;
}

std::string Repeated(std::string_view number, uint32_t times)
{
    std::string list(number);
    for (uint32_t i = 1; i < times; ++i)
        list.append(",").append(number);
    return list;
}

} // namespace

std::vector<TextToken> TextTokens(std::string_view text, size_t from)
{
    std::vector<TextToken> tokens;
    size_t at = from;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '#' || text.substr(at, 2) == "//") {
            const size_t lineEnd = text.find('\n', at);
            at = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
        } else if (IsSpace(c)) {
            ++at;
        } else if (c == '"') {
            const size_t close = std::min(text.find('"', at + 1), text.size());
            tokens.push_back({TextToken::Kind::String, at + 1, text.substr(at + 1, close - at - 1)});
            at = close + 1;
        } else if (c == '<') {
            const size_t close = std::min(text.find('>', at), text.size() - 1);
            tokens.push_back({TextToken::Kind::Guid, at, text.substr(at, close + 1 - at)});
            at = close + 1;
        } else if (IsOperator(c) || c == '.') {
            tokens.push_back({TextToken::Kind::Punctuation, at, text.substr(at, 1)});
            ++at;
        } else {
            const size_t begin = at;
            while (at < text.size() && !IsSpace(text[at]) && !IsOperator(text[at]))
                ++at;
            tokens.push_back({TextToken::Kind::Word, begin, text.substr(begin, at - begin)});
        }
    }
    return tokens;
}

std::optional<std::string> AdjustedTextXFile(const std::string& file,
                                             const std::vector<std::string_view>& standardTemplates)
{
    const std::vector<TextToken> tokens = TextTokens(file, kXFileHeaderBytes);
    std::vector<ByteEdit> edits;
    std::vector<std::string> names;
    std::vector<std::string> declaredNames;
    std::vector<std::string> longNames;
    ShortMaterialLists materialLists(file.size());
    // The words since the last punctuation: at an object's brace, its template name and its own.
    std::vector<std::string_view> headerWords;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const TextToken& token = tokens[i];
        const size_t end = token.begin + token.text.size();
        if (token.kind == TextToken::Kind::Punctuation || token.kind == TextToken::Kind::String) {
            if (token.text == "{")
                materialLists.objectOpened(headerWords.empty() ? "" : headerWords.front());
            else if (token.text == "}")
                materialLists.objectClosed();
            headerWords.clear();
        } else if (token.kind == TextToken::Kind::Word && IsNumber(token.text)) {
            const auto number = materialLists.next(IntegerValue(token.text));
            const std::optional<std::string> plain = WithoutExponent(token.text);
            if (number == ShortMaterialLists::Number::IndexCount)
                edits.push_back({token.begin, end, std::to_string(materialLists.faceCount())});
            else if (number == ShortMaterialLists::Number::Index)
                edits.push_back({token.begin, end, Repeated(token.text, materialLists.faceCount())});
            else if (plain)
                edits.push_back({token.begin, end, *plain});
        } else if (token.kind == TextToken::Kind::Word) {
            if (EqualsIgnoringCase(token.text, "CSTRING"))
                edits.push_back({token.begin, end, "STRING"});
            if (i > 0 && EqualsIgnoringCase(tokens[i - 1].text, "template"))
                declaredNames.emplace_back(token.text);
            if (token.text.size() >= kShortestShortenedName &&
                std::find(longNames.begin(), longNames.end(), token.text) == longNames.end())
                longNames.emplace_back(token.text);
            names.emplace_back(token.text);
            headerWords.push_back(token.text);
        }
    }

    // Each use of a long name: as a name, and as a string that names it (a bone's frame).
    const std::vector<std::string> shortNames = ShortNamesFor(longNames, names);
    for (const TextToken& token : tokens) {
        const auto longName = std::find(longNames.begin(), longNames.end(), token.text);
        if (longName != longNames.end())
            edits.push_back({token.begin, token.begin + token.text.size(),
                             shortNames[longName - longNames.begin()]});
    }

    const std::string missing = MissingStandardTemplates(standardTemplates, names, declaredNames);
    if (!missing.empty())
        edits.push_back({kXFileHeaderBytes, kXFileHeaderBytes, "\n" + missing});
    if (edits.empty())
        return std::nullopt;
    return WithEdits(file, std::move(edits));
}
