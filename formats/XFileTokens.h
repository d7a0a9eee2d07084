// The tokens of an .x file's body as Wine's reader (d3dxof) reads them, text and binary alike:
// the one reader that the check and the second try share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The numbers are those of the binary format. Wine's reader hands a string on as Lpstr, a text
// float as Float (the keyword's number), and a binary list as its values one by one, each
// followed by a Comma.
enum class XToken : uint16_t {
    None = 0,   // the body has ended
    Name = 1, String = 2, Integer = 3, Guid = 5, IntegerList = 6, FloatList = 7,
    OpenBrace = 10, CloseBrace = 11, OpenParen = 12, CloseParen = 13, OpenBracket = 14,
    CloseBracket = 15, OpenAngle = 16, CloseAngle = 17, Dot = 18, Comma = 19, Semicolon = 20,
    Template = 31, Word = 40, Dword = 41, Float = 42, Double = 43, Char = 44, Uchar = 45,
    Sword = 46, Sdword = 47, Void = 48, Lpstr = 49, Unicode = 50, Cstring = 51, Array = 52,
    Error = 0xFFFE,    // Wine's reader stops here with an error and reads nothing further
    Unsafe = 0xFFFF,   // Wine's reader would read or write past one of its buffers here
};

// Wine's reader keeps a token's value in 512 bytes: a name or string holds at most 511.
constexpr size_t kLongestTokenValue = 511;

struct XTokenSpan {
    XToken id = XToken::None;
    size_t begin = 0;   // its first byte in the file
    size_t end = 0;     // one past its last; a list's commas take no bytes
    std::string_view text;   // a name's or string's bytes, as much as Wine's reader keeps
    uint32_t value = 0;      // an integer's value; a text one past 32 bits is the largest
    std::optional<size_t> list;   // where the binary list that holds this value begins
};

// Wine's reader compares template names without case: a name as they are compared.
std::string Lowered(std::string_view text);

// Reads the body of `file`, whose 16-byte header says whether it is text or binary; the header
// itself is checked elsewhere.
class XTokenReader {
public:
    explicit XTokenReader(std::string_view file);

    // The next token, taken; after Error, Unsafe or None, the same again.
    XTokenSpan next();
    // The next token, left to be taken.
    const XTokenSpan& peek();
    // Takes the rest of the binary list that the next token belongs to, values and commas, at
    // once: for a reader that only passes over data.
    void skipList();
    // Reads on after `stop`, an Error or Unsafe token just taken, from its end: for the second
    // try, which rewrites what Wine can't read. False where nothing can be told of what follows:
    // the end, or a binary token of unknown number.
    bool resumeAfter(const XTokenSpan& stop);

private:
    XTokenSpan read();
    XTokenSpan readText();
    XTokenSpan readBinary();
    XTokenSpan readWord(size_t begin);
    XTokenSpan readListValue();
    std::optional<uint32_t> dword(size_t at) const;

    std::string_view file;
    size_t at;
    bool text;
    std::optional<XTokenSpan> peeked;
    // A binary list being handed on value by value.
    uint32_t listLeft = 0;
    bool listFloat = false;
    bool commaDue = false;
    size_t listBegin = 0;
};
