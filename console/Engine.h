// The one object behind the console and HUD: the font, the ten console lines, the frame-rate
// timing and the registry of loaded models.
#pragma once

#include <array>
#include <string>

#include <d3dx9.h>

#include "scene/ModelRegistry.h"

constexpr char kStartupSceneFile[] = "objektumok\\haz\\map02.x";
constexpr int kConsoleLineCount = 10;

class Engine {
public:
    Engine();

    // Console editing; line 0 is the input line, 1 to 9 the history with the newest at 1.
    void onChar(char c);
    void appendChar(char c);
    void backspace();
    void openConsole();
    void submitLine();

    // Interprets line 1; false when it looks like a command but is none.
    bool runCommand();

    bool loadStartupScene();

    // Lets go of the font and every model's textures and mesh, before the device goes.
    void releaseDeviceResources();

    // HUD
    void createFont();
    void drawHud();

    // The font's own device objects go before the device is reset and come back after it.
    void onLostDevice();
    void onResetDevice();

    ID3DXFont* font = nullptr;   // released before the device, at shut-down or on #exit
    std::array<std::string, kConsoleLineCount> lines;
    D3DXCOLOR textColor;
    DWORD lastTick;
    DWORD prevTick;
    int frameCount;
    ModelRegistry registry;

private:
    // Moves every line up one place: line 9 is dropped and line 1 takes line 0.
    void shiftHistory();
};

extern Engine* g_engine;
