// DirectInput's system keyboard and mouse, read once per idle turn.
#include "app/Input.h"

#include <cstring>

#include "app/Platform.h"
#include "camera/CameraRig.h"

IDirectInput8A* g_directInput = nullptr;
IDirectInputDevice8A* g_keyboard = nullptr;
IDirectInputDevice8A* g_mouse = nullptr;

namespace {

// Wine 10 reports the pointer's place in the client area as the motion of a mouse read soon after
// an exclusive Acquire; Windows reports motion only from the acquire on. That place comes in the
// first read with motion, which may be a few reads after the acquire. That read's motion is
// dropped when it is the pointer's place at that moment, so the cameras never turn by a move
// nobody made; any other motion is the user's. A read this many turns on is taken as it is. The
// wheel is kept: it counts only steps taken since the acquire, and an activation's acquire (a
// click, a change of focus) can come just before the step.
constexpr int kReadsWatchedAfterAcquire = 30;
int mouseReadsWatched = 0;
HWND mouseWindow = nullptr;

// A device that stays lost is asked this many times a turn and then read as idle for the turn:
// the loop never spins on a device that won't come back, and the other device still counts, so
// Escape on the keyboard ends the run whatever the mouse does.
constexpr int kMaxReacquireTries = 10;

// After a failed read: false when the device went to another program or is not acquired, which
// costs the turn its input; true when the turn may go on.
bool Recover(IDirectInputDevice8A* device)
{
    HRESULT result = AcquireDevice(device);
    for (int tries = 1; result == DIERR_INPUTLOST && tries < kMaxReacquireTries; ++tries)
        result = AcquireDevice(device);
    return result != DIERR_OTHERAPPHASPRIO && result != DIERR_NOTACQUIRED;
}

enum class Reading { Fresh, Idle, Lost };

// Reads one device's state. A failed read leaves the state zero (no key down, no motion) and
// the turn goes on with that device idle, unless the recovery says the turn has lost its input.
Reading ReadDevice(IDirectInputDevice8A* device, DWORD size, void* state)
{
    if (SUCCEEDED(device->GetDeviceState(size, state)))
        return Reading::Fresh;
    std::memset(state, 0, size);
    return Recover(device) ? Reading::Idle : Reading::Lost;
}

bool IsPointerPlace(const DIMOUSESTATE& mouse)
{
    POINT place;
    return platform().cursorInClient(mouseWindow, &place) && mouse.lX == place.x &&
           mouse.lY == place.y;
}

Reading ReadMouse(DIMOUSESTATE& mouse)
{
    const Reading reading = ReadDevice(g_mouse, sizeof mouse, &mouse);
    if (reading == Reading::Fresh && mouseReadsWatched > 0) {
        --mouseReadsWatched;
        if (mouse.lX != 0 || mouse.lY != 0) {
            if (IsPointerPlace(mouse))
                mouse.lX = mouse.lY = 0;
            mouseReadsWatched = 0;
        }
    }
    return reading;
}

HRESULT CreateKeyboard()
{
    HRESULT result = g_directInput->CreateDevice(GUID_SysKeyboard, &g_keyboard, nullptr);
    if (FAILED(result))
        return result;
    result = g_keyboard->SetDataFormat(&c_dfDIKeyboard);
    if (FAILED(result))
        return result;
    return AcquireDevice(g_keyboard);
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
    mouseWindow = window;
    return AcquireDevice(g_mouse);
}

} // namespace

HRESULT AcquireDevice(IDirectInputDevice8A* device)
{
    const HRESULT result = device->Acquire();
    if (device == g_mouse && result == DI_OK)
        mouseReadsWatched = kReadsWatchedAfterAcquire;
    return result;
}

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
    if (ReadDevice(g_keyboard, sizeof snapshot.keys, snapshot.keys) == Reading::Lost)
        return;
    if (ReadMouse(snapshot.mouse) == Reading::Lost)
        return;
    // Escape is tested as a state, and before the console can swallow the keys.
    if (isKeyDown(snapshot.keys, DIK_ESCAPE))
        platform().postQuitMessage(0);
    g_cameraRig.handleInput(snapshot.keys, snapshot.mouse);
}
