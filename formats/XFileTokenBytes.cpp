// The bytes of an adjustment: its bounded edits, and tokens written in a text or a binary body.
#include <algorithm>
#include <cctype>
#include <string>

#include "formats/XFileAdjusting.h"

ByteEdits::ByteEdits(size_t fileBytes, size_t limit) : editedBytes(fileBytes), limit(limit) {}

bool ByteEdits::haveRoomFor(size_t bytes) const
{
    return editedBytes <= limit && bytes <= limit - editedBytes;
}

bool ByteEdits::add(size_t begin, size_t end, std::string_view replacement)
{
    const size_t removed = end - begin;
    if (replacement.size() > removed && !haveRoomFor(replacement.size() - removed))
        return false;
    editedBytes = editedBytes + replacement.size() - removed;
    edits.push_back({begin, end, replacements.size(), replacement.size()});
    replacements += replacement;
    return true;
}

std::string ByteEdits::appliedTo(std::string_view file)
{
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });
    std::string edited;
    edited.reserve(editedBytes);
    size_t at = 0;
    for (const Edit& edit : edits) {
        if (edit.begin < at)
            continue;
        edited.append(file, at, edit.begin - at);
        edited.append(replacements, edit.replacementAt, edit.replacementBytes);
        at = edit.end;
    }
    edited.append(file, at);
    return edited;
}

std::string LittleEndian(uint32_t value, size_t width)
{
    std::string bytes;
    for (size_t i = 0; i < width; ++i)
        bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

std::string NameBytes(bool binary, std::string_view name)
{
    if (!binary)
        return std::string(name);
    return LittleEndian(static_cast<uint16_t>(XToken::Name), 2) +
           LittleEndian(static_cast<uint32_t>(name.size()), 4) + std::string(name);
}

namespace {

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

// Wine's reader keeps 512 bytes of a number.
constexpr size_t kLongestNumber = 500;

} // namespace

// `-3.84E+01` as `-38.4`, `1.53e-15` as `0.00000000000000153`: the same digits with the point
// moved, so the same value.
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

