// DirectInput's system keyboard and mouse, read once per idle turn.
#pragma once

#include <windows.h>
#include <dinput.h>

extern IDirectInput8A* g_directInput;
extern IDirectInputDevice8A* g_keyboard;
extern IDirectInputDevice8A* g_mouse;

// One turn's input: key bytes indexed by DirectInput scan code (down when bit 7 is set) and the
// relative mouse motion with its buttons.
struct InputSnapshot {
    BYTE keys[256];
    DIMOUSESTATE mouse;
};

// 0, or the negative result of the first step that failed.
HRESULT InitInput(HINSTANCE module, HWND window);

// Every Acquire goes through here: the mouse's first read after one is told apart.
HRESULT AcquireDevice(IDirectInputDevice8A* device);

void PollInput();
