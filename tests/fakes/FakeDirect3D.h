// A Direct3D object whose display mode and device creation a test sets up.
//
// FakePlatform's direct3DCreate9 hands one out. GetAdapterDisplayMode gives displayMode with
// displayModeResult; CreateDevice gives `device` with createDeviceResult (null on failure) and
// logs the arguments and the present parameters the viewer fills in, e.g. CreateDevice(0, 1,
// window, 64, BackBufferFormat 22, SwapEffect 1, Windowed 1, EnableAutoDepthStencil 1,
// AutoDepthStencilFormat 77). presentParameters keeps the whole record as given; then, as
// Direct3D does, the defaults are written back into the caller's record (fillInPresentDefaults),
// and its device's Reset does the same with the display mode of the time.
#pragma once

#include <d3d9.h>

#include "tests/fakes/FakeComObject.h"
#include "tests/fakes/FakeDevice.h"

class FakeDirect3D final : public FakeComObject<IDirect3D9> {
public:
    FakeDirect3D() : FakeComObject("direct3d", true) { device.displayMode = &displayMode; }

    HRESULT displayModeResult = D3D_OK;
    D3DDISPLAYMODE displayMode = {1024, 768, 60, D3DFMT_X8R8G8B8};
    HRESULT createDeviceResult = D3D_OK;
    FakeDevice device;

    DWORD behaviorFlags = 0;
    D3DPRESENT_PARAMETERS presentParameters = {};

    STDMETHODIMP GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    STDMETHODIMP CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD flags,
                              D3DPRESENT_PARAMETERS* parameters,
                              IDirect3DDevice9** created) override;

    STDMETHODIMP RegisterSoftwareDevice(void*) override { return unexpected(__func__); }
    STDMETHODIMP_(UINT) GetAdapterCount() override { unexpected(__func__); return {}; }
    STDMETHODIMP GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER9*) override
        { return unexpected(__func__); }
    STDMETHODIMP_(UINT) GetAdapterModeCount(UINT, D3DFORMAT) override
        { unexpected(__func__); return {}; }
    STDMETHODIMP EnumAdapterModes(UINT, D3DFORMAT, UINT, D3DDISPLAYMODE*) override
        { return unexpected(__func__); }
    STDMETHODIMP CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override
        { return unexpected(__func__); }
    STDMETHODIMP CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE,
        D3DFORMAT) override { return unexpected(__func__); }
    STDMETHODIMP CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE,
        DWORD*) override { return unexpected(__func__); }
    STDMETHODIMP CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override
        { return unexpected(__func__); }
    STDMETHODIMP CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override
        { return unexpected(__func__); }
    STDMETHODIMP GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9*) override
        { return unexpected(__func__); }
    STDMETHODIMP_(HMONITOR) GetAdapterMonitor(UINT) override { unexpected(__func__); return {}; }
};
