// DirectInput and its two devices, with results and states a test scripts in advance.
//
// FakePlatform's directInput8Create hands out a FakeDirectInput; its CreateDevice gives
// `keyboard` for GUID_SysKeyboard and `mouse` for GUID_SysMouse (null when keyboardResult or
// mouseResult fails). Each device's Acquire and GetDeviceState take their results from a queue,
// DI_OK once it is empty; each successful read takes the next queued state (queueKeys,
// queueMouse), all zeros once none is left. A failed read writes nothing and keeps the state.
#pragma once

#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include <windows.h>
#include <dinput.h>

#include "tests/fakes/FakeComObject.h"

// Logged as its name (keyboard, mouse); SetDataFormat logs c_dfDIKeyboard or c_dfDIMouse.
class FakeInputDevice final : public FakeComObject<IDirectInputDevice8A> {
public:
    explicit FakeInputDevice(const std::string& name) : FakeComObject(name, false) {}

    HRESULT dataFormatResult = DI_OK;
    HRESULT cooperativeLevelResult = DI_OK;
    std::deque<HRESULT> acquireResults;
    std::deque<HRESULT> stateResults;
    std::deque<std::vector<BYTE>> states;

    // A keyboard state with these DIK_ scan codes down (0x80), the others up.
    void queueKeys(std::initializer_list<BYTE> downKeys);
    void queueMouse(const DIMOUSESTATE& state);

    STDMETHODIMP SetDataFormat(LPCDIDATAFORMAT format) override;
    STDMETHODIMP SetCooperativeLevel(HWND window, DWORD flags) override;
    STDMETHODIMP Acquire() override;
    STDMETHODIMP GetDeviceState(DWORD size, LPVOID state) override;

    STDMETHODIMP GetCapabilities(LPDIDEVCAPS) override { return unexpected(__func__); }
    STDMETHODIMP EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP GetProperty(REFGUID, LPDIPROPHEADER) override { return unexpected(__func__); }
    STDMETHODIMP SetProperty(REFGUID, LPCDIPROPHEADER) override { return unexpected(__func__); }
    STDMETHODIMP Unacquire() override { return unexpected(__func__); }
    STDMETHODIMP GetDeviceData(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP SetEventNotification(HANDLE) override { return unexpected(__func__); }
    STDMETHODIMP GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP GetDeviceInfo(LPDIDEVICEINSTANCEA) override { return unexpected(__func__); }
    STDMETHODIMP RunControlPanel(HWND, DWORD) override { return unexpected(__func__); }
    STDMETHODIMP Initialize(HINSTANCE, DWORD, REFGUID) override { return unexpected(__func__); }
    STDMETHODIMP CreateEffect(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT*, LPUNKNOWN) override
        { return unexpected(__func__); }
    STDMETHODIMP EnumEffects(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP GetEffectInfo(LPDIEFFECTINFOA, REFGUID) override { return unexpected(__func__); }
    STDMETHODIMP GetForceFeedbackState(LPDWORD) override { return unexpected(__func__); }
    STDMETHODIMP SendForceFeedbackCommand(DWORD) override { return unexpected(__func__); }
    STDMETHODIMP EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID,
        DWORD) override { return unexpected(__func__); }
    STDMETHODIMP Escape(LPDIEFFESCAPE) override { return unexpected(__func__); }
    STDMETHODIMP Poll() override { return unexpected(__func__); }
    STDMETHODIMP SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP EnumEffectsInFile(LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP WriteEffectToFile(LPCSTR, DWORD, LPDIFILEEFFECT, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP BuildActionMap(LPDIACTIONFORMATA, LPCSTR, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP SetActionMap(LPDIACTIONFORMATA, LPCSTR, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP GetImageInfo(LPDIDEVICEIMAGEINFOHEADERA) override { return unexpected(__func__); }
};

// CreateDevice logs the device as GUID_SysKeyboard, GUID_SysMouse or guid.
class FakeDirectInput final : public FakeComObject<IDirectInput8A> {
public:
    FakeDirectInput() : FakeComObject("directinput", true) {}

    HRESULT keyboardResult = DI_OK;
    HRESULT mouseResult = DI_OK;
    FakeInputDevice keyboard{"keyboard"};
    FakeInputDevice mouse{"mouse"};

    STDMETHODIMP CreateDevice(REFGUID device, LPDIRECTINPUTDEVICE8A* created,
                              LPUNKNOWN outer) override;

    STDMETHODIMP EnumDevices(DWORD, LPDIENUMDEVICESCALLBACKA, LPVOID, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP GetDeviceStatus(REFGUID) override { return unexpected(__func__); }
    STDMETHODIMP RunControlPanel(HWND, DWORD) override { return unexpected(__func__); }
    STDMETHODIMP Initialize(HINSTANCE, DWORD) override { return unexpected(__func__); }
    STDMETHODIMP FindDevice(REFGUID, LPCSTR, LPGUID) override { return unexpected(__func__); }
    STDMETHODIMP EnumDevicesBySemantics(LPCSTR, LPDIACTIONFORMATA, LPDIENUMDEVICESBYSEMANTICSCBA,
        LPVOID, DWORD) override { return unexpected(__func__); }
    STDMETHODIMP ConfigureDevices(LPDICONFIGUREDEVICESCALLBACK, LPDICONFIGUREDEVICESPARAMSA, DWORD,
        LPVOID) override { return unexpected(__func__); }
};
