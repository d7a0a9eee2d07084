// The engine object and the editing of the console's input line.
#include "console/Engine.h"

namespace {

constexpr char kPrompt = '>';
// Written when backspace meets a line that holds only one character.
constexpr char kScoldingLine[] = ">Balfasz!!";
constexpr char kCommandNotFound[] = "Command not found!";
constexpr char kBackspace = 8;
constexpr char kCarriageReturn = 13;

} // namespace

Engine::Engine()
    : textColor(0.0f, 0.0f, 0.0f, 1.0f),
      // No clock sample yet: the read-out shows a defined value until ten frames have passed.
      lastTick(0), prevTick(0),
      frameCount(10)
{
}

// The Enter key's carriage return is left out here and added by submitLine instead: the key
// poll and the character message come by different routes, and either may arrive first.
void Engine::onChar(char c)
{
    if (c == kBackspace)
        backspace();
    else if (c != kCarriageReturn)
        appendChar(c);
}

void Engine::appendChar(char c)
{
    lines[0] += c;
}

void Engine::backspace()
{
    if (lines[0].size() == 1)
        lines[0] = kScoldingLine;
    else if (!lines[0].empty())
        lines[0].pop_back();
}

void Engine::openConsole()
{
    lines[0].assign(1, kPrompt);
}

void Engine::submitLine()
{
    lines[0] += kCarriageReturn;
    if (lines[0].size() > 1)
        lines[0].erase(0, 1);
    shiftHistory();
    lines[0].clear();
    if (!runCommand()) {
        shiftHistory();
        lines[1] = kCommandNotFound;
    }
}

bool Engine::loadStartupScene()
{
    return registry.loadByName(kStartupSceneFile);
}

void Engine::releaseDeviceResources()
{
    if (font)
        font->Release();
    font = nullptr;
    registry.models.clear();
}

void Engine::shiftHistory()
{
    // From the top down, so that each line is read before it is overwritten.
    for (int i = kConsoleLineCount - 1; i > 0; --i)
        lines[i] = lines[i - 1];
}
