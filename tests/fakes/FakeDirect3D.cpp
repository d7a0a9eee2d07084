// A Direct3D object whose display mode and device creation a test sets up.
#include "tests/fakes/FakeDirect3D.h"

STDMETHODIMP FakeDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    record(__func__, adapter, mode);
    if (SUCCEEDED(displayModeResult) && mode)
        *mode = displayMode;
    return displayModeResult;
}

STDMETHODIMP FakeDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                        DWORD flags, D3DPRESENT_PARAMETERS* parameters,
                                        IDirect3DDevice9** created)
{
    if (!parameters) {
        record(__func__, adapter, type, focusWindow, flags, nullptr, created);
        return D3DERR_INVALIDCALL;
    }
    record(__func__, adapter, type, focusWindow, flags,
           "BackBufferFormat " + formatArg(parameters->BackBufferFormat),
           "SwapEffect " + formatArg(parameters->SwapEffect),
           "Windowed " + formatArg(parameters->Windowed),
           "EnableAutoDepthStencil " + formatArg(parameters->EnableAutoDepthStencil),
           "AutoDepthStencilFormat " + formatArg(parameters->AutoDepthStencilFormat));
    behaviorFlags = flags;
    presentParameters = *parameters;
    fillInPresentDefaults(*parameters, displayMode.Format);
    *created = SUCCEEDED(createDeviceResult) ? &device : nullptr;
    return createDeviceResult;
}
