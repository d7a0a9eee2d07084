// DirectInput and its two devices, with results and states a test scripts in advance.
#include "tests/fakes/FakeInput.h"

#include <cstring>

namespace {

HRESULT takeResult(std::deque<HRESULT>& results)
{
    if (results.empty())
        return DI_OK;
    HRESULT result = results.front();
    results.pop_front();
    return result;
}

std::string formatName(LPCDIDATAFORMAT format)
{
    if (format == &c_dfDIKeyboard)
        return "c_dfDIKeyboard";
    if (format == &c_dfDIMouse)
        return "c_dfDIMouse";
    return formatArg(format);
}

} // namespace

void FakeInputDevice::queueKeys(std::initializer_list<BYTE> downKeys)
{
    std::vector<BYTE> keys(256, 0);
    for (BYTE key : downKeys)
        keys[key] = 0x80;
    states.push_back(std::move(keys));
}

void FakeInputDevice::queueMouse(const DIMOUSESTATE& state)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&state);
    states.emplace_back(bytes, bytes + sizeof state);
}

STDMETHODIMP FakeInputDevice::SetDataFormat(LPCDIDATAFORMAT format)
{
    record(__func__, formatName(format));
    return dataFormatResult;
}

STDMETHODIMP FakeInputDevice::SetCooperativeLevel(HWND window, DWORD flags)
{
    record(__func__, window, flags);
    return cooperativeLevelResult;
}

STDMETHODIMP FakeInputDevice::Acquire()
{
    record(__func__);
    return takeResult(acquireResults);
}

STDMETHODIMP FakeInputDevice::GetDeviceState(DWORD size, LPVOID state)
{
    record(__func__, size, state);
    HRESULT result = takeResult(stateResults);
    if (FAILED(result))
        return result;
    std::vector<BYTE> next;
    if (!states.empty()) {
        next = std::move(states.front());
        states.pop_front();
    }
    next.resize(size, 0);
    std::memcpy(state, next.data(), size);
    return result;
}

STDMETHODIMP FakeDirectInput::CreateDevice(REFGUID device, LPDIRECTINPUTDEVICE8A* created,
                                           LPUNKNOWN outer)
{
    if (device == GUID_SysKeyboard || device == GUID_SysMouse) {
        bool isKeyboard = device == GUID_SysKeyboard;
        record(__func__, isKeyboard ? "GUID_SysKeyboard" : "GUID_SysMouse", created, outer);
        HRESULT result = isKeyboard ? keyboardResult : mouseResult;
        FakeInputDevice& made = isKeyboard ? keyboard : mouse;
        *created = SUCCEEDED(result) ? &made : nullptr;
        return result;
    }
    record(__func__, "guid", created, outer);
    *created = nullptr;
    return DIERR_DEVICENOTREG;
}
