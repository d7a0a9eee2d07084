#include "console/Engine.h"
Engine::Engine() {}
void Engine::onChar(char) {}
void Engine::appendChar(char) {}
void Engine::backspace() {}
void Engine::openConsole() {}
void Engine::submitLine() {}
bool Engine::runCommand() { return true; }
bool Engine::loadStartupScene() { return true; }
void Engine::createFont() {}
void Engine::drawHud() {}
