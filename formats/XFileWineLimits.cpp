// The walk of an .x body along the grammar Wine's reader follows (parse_template and
// parse_object in d3dxof's parsing.c), counting what fills each of its tables.
#include "formats/XFileWineLimits.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "formats/XFileTokens.h"

namespace {

// Of the templates D3DX registers, those whose objects may hold no data at all.
constexpr std::string_view kStandardTemplatesWithoutData[] = {
    "frame", "animation", "animationset", "inlinedata", "progressivemesh", "propertybag"};

bool IsPrimitive(XToken token)
{
    switch (token) {
    case XToken::Word: case XToken::Dword: case XToken::Float: case XToken::Double:
    case XToken::Char: case XToken::Uchar: case XToken::Sword: case XToken::Sdword:
    case XToken::Lpstr: case XToken::Unicode: case XToken::Cstring:
        return true;
    default:
        return false;
    }
}

bool IsData(XToken token)
{
    return token == XToken::Integer || token == XToken::Float || token == XToken::Lpstr ||
           token == XToken::Comma || token == XToken::Semicolon;
}

// Where the walk ends: Wine's reader stops cleanly (with an error or at the end), or would go
// past one of its tables.
enum class Outcome { Going, Stops, Overruns };

class Walk {
public:
    explicit Walk(std::string_view file) : tokens(file)
    {
        for (std::string_view name : kStandardTemplatesWithoutData)
            templatesWithoutData.insert(std::string(name));
    }

    bool fits()
    {
        while (outcome == Outcome::Going) {
            const XToken token = peek().id;
            if (token == XToken::None || token == XToken::Error)
                return true;
            if (token == XToken::Template) {
                templateDeclaration();
            } else if (topLevelObjects++ == kMostWineObjects) {
                return true;
            } else {
                subObjects = 0;
                object(1);
            }
        }
        return outcome != Outcome::Overruns;
    }

private:
    // The next token, judged on the way: a name longer than Wine's 40-byte fields is refused in
    // any role, since where it isn't copied it can only fail to match one that is.
    const XTokenSpan& peek()
    {
        const XTokenSpan& token = tokens.peek();
        if (token.id == XToken::Unsafe || (token.id == XToken::Name && token.text.size() > kLongestWineName))
            outcome = Outcome::Overruns;
        return token;
    }

    bool take(XToken wanted)
    {
        if (outcome != Outcome::Going || peek().id != wanted) {
            stop();
            return false;
        }
        tokens.next();
        return true;
    }

    bool takeIf(XToken wanted)
    {
        return outcome == Outcome::Going && peek().id == wanted && take(wanted);
    }

    void stop()
    {
        if (outcome == Outcome::Going)
            outcome = Outcome::Stops;
    }

    void overrun() { outcome = Outcome::Overruns; }

    void templateDeclaration()
    {
        take(XToken::Template);
        if (++fileTemplates > kMostFileTemplates)
            return overrun();
        const std::string name = Lowered(peek().text);
        if (!take(XToken::Name) || !take(XToken::OpenBrace) || !take(XToken::Guid))
            return;
        if (!members(name))
            return;
        if (takeIf(XToken::OpenBracket) && !restrictions())
            return;
        take(XToken::CloseBrace);
    }

    // Returns false when the walk ends inside them.
    bool members(const std::string& templateName)
    {
        bool holdsData = false;
        for (size_t count = 0; outcome == Outcome::Going; ++count) {
            const bool array = takeIf(XToken::Array);
            const XTokenSpan type = peek();
            if (type.id != XToken::Name && !IsPrimitive(type.id))
                break;
            // Wine writes the member's type before it knows whether there is room for it.
            if (count == kMostWineMembers) {
                overrun();
                return false;
            }
            tokens.next();
            const bool typeHoldsData = type.id != XToken::Name || !templatesWithoutData.contains(Lowered(type.text));
            if (!take(XToken::Name))
                return false;
            bool everyDimensionFixed = true;
            while (array && takeIf(XToken::OpenBracket)) {
                everyDimensionFixed = everyDimensionFixed && peek().id == XToken::Integer && peek().value > 0;
                tokens.next();
                if (!take(XToken::CloseBracket))
                    return false;
            }
            // Wine reads an array's elements one by one: elements of no data would keep it busy
            // for as many as the file states, four billion of them.
            if (array && !typeHoldsData) {
                overrun();
                return false;
            }
            holdsData = holdsData || (typeHoldsData && (!array || everyDimensionFixed));
            if (!take(XToken::Semicolon))
                return false;
        }
        if (!holdsData)
            templatesWithoutData.insert(templateName);
        return outcome == Outcome::Going;
    }

    bool restrictions()
    {
        if (takeIf(XToken::Dot))
            return take(XToken::Dot) && take(XToken::Dot) && take(XToken::CloseBracket);
        for (size_t count = 1;; ++count) {
            if (count > kMostWineChildren) {
                overrun();
                return false;
            }
            if (!take(XToken::Name))
                return false;
            takeIf(XToken::Guid);
            if (!takeIf(XToken::Comma))
                break;
        }
        return take(XToken::CloseBracket);
    }

    // An object and what it holds: its data, then its children, each a reference `{ name }` or
    // an object of its own.
    void object(size_t depth)
    {
        if (depth > kDeepestNesting)
            return overrun();
        if (++subObjects > kMostWineSubObjects)
            return stop();
        if (!take(XToken::Name))
            return;
        const size_t self = objects.size();
        objects.push_back({true, 1});
        made = SaturatingSum(made, 1);
        // Wine names the object before it reads what it holds: a reference inside finds it.
        if (peek().id == XToken::Name)
            namedObjects.try_emplace(std::string(tokens.next().text), self);
        if (!take(XToken::OpenBrace))
            return;
        takeIf(XToken::Guid);
        while (outcome == Outcome::Going && IsData(peek().id)) {
            if (peek().list)
                tokens.skipList();
            else
                tokens.next();
        }
        for (size_t children = 0; outcome == Outcome::Going; ++children) {
            const XToken token = peek().id;
            if (token != XToken::OpenBrace && token != XToken::Name)
                break;
            // Wine puts the child in its table before it counts them.
            if (children == kMostWineChildren)
                return overrun();
            if (takeIf(XToken::OpenBrace)) {
                if (++subObjects > kMostWineSubObjects)
                    return stop();
                reference(self);
                if (!take(XToken::CloseBrace))
                    return;
            } else {
                const size_t child = objects.size();
                object(depth + 1);
                if (child < objects.size())
                    ++objects[self].madeFromAReference;
            }
        }
        objects[self].open = false;
        take(XToken::CloseBrace);
    }

    // D3DX makes an object of every reference, and one of each child of the object it refers to;
    // a reference among those is followed again. A reference to an object still open would be
    // followed for ever, and references to objects that hold references grow as a power of
    // their number: what D3DX would make of the whole file is counted.
    void reference(size_t holder)
    {
        const XTokenSpan name = peek();
        if (!take(XToken::Name))
            return;
        // Wine takes the first object of that name, matching case, in the order it read them.
        const auto target = namedObjects.find(std::string(name.text));
        if (name.text.empty() || (target != namedObjects.end() && objects[target->second].open))
            return overrun();
        if (target == namedObjects.end())
            return stop();
        const uint64_t followed = objects[target->second].madeFromAReference;
        objects[holder].madeFromAReference = SaturatingSum(objects[holder].madeFromAReference, followed);
        made = SaturatingSum(made, followed);
        if (made > kMostObjectsMade)
            overrun();
    }

    static uint64_t SaturatingSum(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

    struct ObjectRead {
        bool open;
        // What D3DX makes of a reference to it: itself, each child, and what each of its
        // references makes.
        uint64_t madeFromAReference;
    };

    XTokenReader tokens;
    Outcome outcome = Outcome::Going;
    std::vector<ObjectRead> objects;
    std::unordered_map<std::string, size_t> namedObjects;
    uint64_t made = 0;   // the objects D3DX makes of the file, references followed
    size_t fileTemplates = 0;
    size_t topLevelObjects = 0;
    size_t subObjects = 0;   // of the top-level object being read
    std::unordered_set<std::string> templatesWithoutData;
};

} // namespace

bool XFileFitsWinesReader(std::string_view file)
{
    return Walk(file).fits();
}
