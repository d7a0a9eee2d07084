// Adjusted bytes for an .x file that Wine's loader refused: the choice of side by format, and
// what the text and the binary side share (the templates to declare, the shortened names, the
// material lists to give one index a face).
#include "formats/XFileAdjustments.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace {

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

std::set<std::string> LoweredSet(const std::vector<std::string>& names)
{
    std::set<std::string> lowered;
    for (const std::string& name : names)
        lowered.insert(Lowered(name));
    return lowered;
}

// One template declaration of a standard templates text: `template Name { ... }`.
struct TemplateDeclaration {
    std::string name;
    std::string_view text;
    std::vector<std::string> words;   // its member types among them
};

std::vector<TemplateDeclaration> TemplateDeclarations(std::string_view file)
{
    std::vector<TemplateDeclaration> declarations;
    const std::vector<TextToken> tokens = TextTokens(file, kXFileHeaderBytes);
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i].kind != TextToken::Kind::Word || !EqualsIgnoringCase(tokens[i].text, "template"))
            continue;
        TemplateDeclaration declaration{Lowered(tokens[i + 1].text), {}, {}};
        size_t end = i + 2;
        for (int depth = 0; end < tokens.size(); ++end) {
            if (tokens[end].kind == TextToken::Kind::Word)
                declaration.words.push_back(Lowered(tokens[end].text));
            else if (tokens[end].text == "{")
                ++depth;
            else if (tokens[end].text == "}" && --depth == 0)
                break;
        }
        if (end == tokens.size())
            break;
        declaration.text = file.substr(tokens[i].begin, tokens[end].begin + 1 - tokens[i].begin);
        declarations.push_back(declaration);
        i = end;
    }
    return declarations;
}

} // namespace

std::optional<std::string> XFileAdjustedForWine(const std::string& file,
                                                const std::vector<std::string_view>& standardTemplates)
{
    if (file.size() < kXFileHeaderBytes)
        return std::nullopt;
    const std::string_view format = std::string_view(file).substr(8, 4);
    std::optional<std::string> adjusted;
    if (format == "txt ")
        adjusted = AdjustedTextXFile(file, standardTemplates);
    else if (format == "bin ")
        adjusted = AdjustedBinaryXFile(file, standardTemplates);
    if (adjusted && adjusted->size() > XFileAdjustedLimit(file.size(), standardTemplates))
        return std::nullopt;
    return adjusted;
}

size_t XFileAdjustedLimit(size_t fileBytes, const std::vector<std::string_view>& standardTemplates)
{
    // A declaration as binary tokens takes at most twice its text; an index repeated for each of
    // a mesh's faces takes less than the faces.
    constexpr size_t kGrowth = 4;
    size_t declarationBytes = 0;
    for (std::string_view declarations : standardTemplates)
        declarationBytes += declarations.size();
    return kGrowth * (fileBytes + declarationBytes);
}

std::string WithEdits(const std::string& bytes, std::vector<ByteEdit> edits)
{
    std::stable_sort(edits.begin(), edits.end(),
                     [](const ByteEdit& a, const ByteEdit& b) { return a.begin < b.begin; });
    std::string edited;
    size_t at = 0;
    for (const ByteEdit& edit : edits) {
        edited.append(bytes, at, edit.begin - at);
        edited += edit.replacement;
        at = edit.end;
    }
    edited.append(bytes, at);
    return edited;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && Lowered(a) == Lowered(b);
}

std::string MissingStandardTemplates(const std::vector<std::string_view>& standardTemplates,
                                     const std::vector<std::string>& usedNames,
                                     const std::vector<std::string>& declaredNames)
{
    std::vector<TemplateDeclaration> declarations;
    for (std::string_view file : standardTemplates) {
        const std::vector<TemplateDeclaration> more = TemplateDeclarations(file);
        declarations.insert(declarations.end(), more.begin(), more.end());
    }
    // Template names compare without case in Wine's loader.
    const std::set<std::string> declared = LoweredSet(declaredNames);
    std::set<std::string> wanted = LoweredSet(usedNames);
    // A template comes after those it is built of: going backwards, what one needs is known
    // before its own declaration is reached.
    std::vector<std::string_view> missing;
    for (auto it = declarations.rbegin(); it != declarations.rend(); ++it) {
        if (!wanted.contains(it->name) || declared.contains(it->name))
            continue;
        missing.push_back(it->text);
        wanted.insert(it->words.begin(), it->words.end());
    }
    std::string text;
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        text.append(*it).append("\n");
    return text;
}

std::vector<std::string> ShortNamesFor(const std::vector<std::string>& longNames,
                                       const std::vector<std::string>& names)
{
    // Wine's loader keeps an object's name in 40 bytes: a short one is its first 24 bytes and a
    // number.
    std::set<std::string> taken(names.begin(), names.end());
    std::vector<std::string> shortNames;
    int number = 0;
    for (const std::string& longName : longNames) {
        std::string shortName;
        do
            shortName = longName.substr(0, 24) + "_" + std::to_string(++number);
        while (taken.contains(shortName));
        taken.insert(shortName);
        shortNames.push_back(shortName);
    }
    return shortNames;
}

ShortMaterialLists::ShortMaterialLists(size_t bodyBytes) : bodyBytes(bodyBytes) {}

void ShortMaterialLists::objectOpened(std::string_view templateName)
{
    open.push_back({EqualsIgnoringCase(templateName, "Mesh"),
                    EqualsIgnoringCase(templateName, "MeshMaterialList"), 0, 0, std::nullopt, false});
}

void ShortMaterialLists::objectClosed()
{
    if (!open.empty())
        open.pop_back();
}

ShortMaterialLists::Number ShortMaterialLists::next(uint32_t value)
{
    if (open.empty())
        return Number::Other;
    Object& object = open.back();
    const uint64_t index = object.numbersSeen++;
    if (object.mesh) {
        if (index == 0)
            object.vertexCount = value;
        else if (index == 1 + 3 * object.vertexCount && value <= bodyBytes)   // each face takes bytes
            object.faceCount = value;
        return Number::Other;
    }
    if (!object.materialList || open.size() < 2 || !open[open.size() - 2].faceCount)
        return Number::Other;
    if (index == 1 && value == 1 && faceCount() > 1) {
        object.shortList = true;
        return Number::IndexCount;
    }
    return index == 2 && object.shortList ? Number::Index : Number::Other;
}

uint32_t ShortMaterialLists::faceCount() const
{
    return open.size() < 2 ? 0 : open[open.size() - 2].faceCount.value_or(0);
}
