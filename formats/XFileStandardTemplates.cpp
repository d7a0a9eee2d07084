// The standard templates a body uses without declaring them: found in the declarations that
// Windows' loader knows, and written in the body's format.
#include <algorithm>
#include <cctype>
#include <iterator>

#include "formats/XFileAdjusting.h"

namespace {

// One template declaration of a standard templates text: `template Name { ... }`.
struct TemplateDeclaration {
    std::string name;   // lowered
    std::string_view text;
    std::vector<std::string> memberTypes;   // lowered; the words of its body among them
};

std::vector<TemplateDeclaration> TemplateDeclarations(std::string_view file)
{
    std::vector<TemplateDeclaration> declarations;
    XTokenReader tokens(file);
    while (tokens.peek().id == XToken::Template) {
        const size_t begin = tokens.next().begin;
        TemplateDeclaration declaration{Lowered(tokens.next().text), {}, {}};
        XTokenSpan token;
        for (int depth = 0;;) {
            token = tokens.next();
            if (token.id == XToken::None || token.id == XToken::Error || token.id == XToken::Unsafe)
                return declarations;
            if (token.id == XToken::Name)
                declaration.memberTypes.push_back(Lowered(token.text));
            else if (token.id == XToken::OpenBrace)
                ++depth;
            else if (token.id == XToken::CloseBrace && --depth == 0)
                break;
        }
        declaration.text = file.substr(begin, token.end - begin);
        declarations.push_back(std::move(declaration));
    }
    return declarations;
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
std::string TemplatesAsTokens(const std::string& text)
{
    const std::string file = "xof 0303txt 0032" + text;
    XTokenReader tokens(file);
    std::string bytes;
    for (XTokenSpan token = tokens.next(); token.id != XToken::None && token.id != XToken::Error;
         token = tokens.next()) {
        if (token.id == XToken::Name)
            bytes += NameBytes(true, token.text);
        else
            bytes += LittleEndian(static_cast<uint16_t>(token.id), 2);
        if (token.id == XToken::Guid)
            bytes += GuidBytes(std::string_view(file).substr(token.begin, token.end - token.begin));
        else if (token.id == XToken::Integer)
            bytes += LittleEndian(token.value, 4);
    }
    return bytes;
}

} // namespace

std::unordered_set<std::string> StandardTemplateNames(const std::vector<std::string_view>& standardTemplates)
{
    std::unordered_set<std::string> names;
    for (std::string_view file : standardTemplates)
        for (const TemplateDeclaration& declaration : TemplateDeclarations(file))
            names.insert(declaration.name);
    return names;
}

MissingTemplates MissingStandardTemplates(const std::vector<std::string_view>& standardTemplates,
                                          const std::unordered_set<std::string>& usedNames,
                                          const std::unordered_set<std::string>& declaredNames,
                                          bool binary)
{
    std::vector<TemplateDeclaration> declarations;
    for (std::string_view file : standardTemplates) {
        std::vector<TemplateDeclaration> more = TemplateDeclarations(file);
        std::move(more.begin(), more.end(), std::back_inserter(declarations));
    }
    // A template comes after those it is built of: going backwards, what one needs is known
    // before its own declaration is reached. Template names compare without case in Wine's reader.
    std::unordered_set<std::string> wanted = usedNames;
    std::vector<std::string_view> missing;
    for (auto it = declarations.rbegin(); it != declarations.rend(); ++it) {
        if (!wanted.contains(it->name) || declaredNames.contains(it->name))
            continue;
        missing.push_back(it->text);
        wanted.insert(it->memberTypes.begin(), it->memberTypes.end());
    }
    std::string text;
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        text.append(*it).append("\n");
    return {binary ? TemplatesAsTokens(text) : "\n" + text, missing.size()};
}
