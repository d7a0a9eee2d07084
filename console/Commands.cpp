// The console's command interpreter: "#exit" and "#load x <model path>".
#include <cstdlib>
#include <string_view>

#include "console/Engine.h"

namespace {

constexpr std::string_view kExitCommand = "#exit";
constexpr std::string_view kLoadCommand = "#load x";
// The command and the one character after it, normally the space before the name.
constexpr std::size_t kLoadCommandLength = kLoadCommand.size() + 1;

// " nevű modell sikeresen betöltve."
constexpr char kLoadedText[] = " nev\xFB modell sikeresen bet\xF6ltve.";
// " nevű modell nem létezik, hibás, vagy egyéb okból nem tölthető be!!"
constexpr char kNotLoadedText[] =
    " nev\xFB modell nem l\xE9tezik, hib\xE1s, vagy egy\xE9" "b okb\xF3l nem t\xF6lthet\xF5 be!!";

} // namespace

bool Engine::runCommand()
{
    std::string& line = lines[1];
    if (line.empty() || line[0] != '#')
        return true;

    // A line submitted with Enter ends with the carriage return that the key typed.
    line.pop_back();
    if (line == kExitCommand)
        std::exit(0);
    if (!line.starts_with(kLoadCommand))
        return false;

    line.erase(0, kLoadCommandLength);
    bool loaded = registry.loadByName(line);
    line += loaded ? kLoadedText : kNotLoadedText;
    return true;
}
