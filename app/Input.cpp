// DirectInput's system keyboard and mouse, read once per idle turn.
#include "app/Input.h"

#include <cstring>

#include "app/Platform.h"
#include "camera/CameraRig.h"

IDirectInput8A* g_directInput = nullptr;
IDirectInputDevice8A* g_keyboard = nullptr;
IDirectInputDevice8A* g_mouse = nullptr;

namespace {

// A device that stays lost is asked this many times a turn and then read as idle for the turn:
// the loop never spins on a device that won't come back, and the other device still counts, so
// Escape on the keyboard ends the run whatever the mouse does.
constexpr int kMaxReacquireTries = 10;

// After a failed read: false when the device went to another program or is not acquired, which
// costs the turn its input; true when the turn may go on.
bool Recover(IDirectInputDevice8A* device)
{
    HRESULT result = device->Acquire();
    for (int tries = 1; result == DIERR_INPUTLOST && tries < kMaxReacquireTries; ++tries)
        result = device->Acquire();
    return result != DIERR_OTHERAPPHASPRIO && result != DIERR_NOTACQUIRED;
}

// Reads one device's state; false when the turn has lost its input. A failed read leaves the
// state zero: no key down, no motion.
bool ReadDevice(IDirectInputDevice8A* device, DWORD size, void* state)
{
    if (SUCCEEDED(device->GetDeviceState(size, state)))
        return true;
    std::memset(state, 0, size);
    return Recover(device);
}

HRESULT CreateKeyboard()
{
    HRESULT result = g_directInput->CreateDevice(GUID_SysKeyboard, &g_keyboard, nullptr);
    if (FAILED(result))
        return result;
    result = g_keyboard->SetDataFormat(&c_dfDIKeyboard);
    if (FAILED(result))
        return result;
    return g_keyboard->Acquire();
}

HRESULT CreateMouse(HWND window)
{
    HRESULT result = g_directInput->CreateDevice(GUID_SysMouse, &g_mouse, nullptr);
    if (FAILED(result))
        return result;
    result = g_mouse->SetDataFormat(&c_dfDIMouse);
    if (FAILED(result))
        return result;
    result = g_mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    if (FAILED(result))
        return result;
    return g_mouse->Acquire();
}

} // namespace

HRESULT InitInput(HINSTANCE module, HWND window)
{
    HRESULT result = platform().directInput8Create(module, DIRECTINPUT_VERSION,
                                                   IID_IDirectInput8A,
                                                   reinterpret_cast<void**>(&g_directInput),
                                                   nullptr);
    if (FAILED(result))
        return result;
    result = CreateKeyboard();
    if (FAILED(result))
        return result;
    result = CreateMouse(window);
    return FAILED(result) ? result : S_OK;
}

void PollInput()
{
    InputSnapshot snapshot;
    if (!ReadDevice(g_keyboard, sizeof snapshot.keys, snapshot.keys))
        return;
    if (!ReadDevice(g_mouse, sizeof snapshot.mouse, &snapshot.mouse))
        return;
    // Escape is tested as a state, and before the console can swallow the keys.
    if (isKeyDown(snapshot.keys, DIK_ESCAPE))
        platform().postQuitMessage(0);
    g_cameraRig.handleInput(snapshot.keys, snapshot.mouse);
}
