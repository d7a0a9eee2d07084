// The Direct3D device, its start-up states, the scene light and the drawing of one frame.
#include "app/Graphics.h"

#include "app/Platform.h"
#include "camera/CameraRig.h"
#include "console/Engine.h"

IDirect3D9* g_direct3d = nullptr;
IDirect3DDevice9* g_device = nullptr;
D3DLIGHT9 g_sceneLight = {};

const D3DXVECTOR3 kSceneLightDirection(0.0f, -100.0f, 0.0f);

namespace {

// A device that Present reports lost draws nothing until it has been reset; while it can't be
// reset yet, each turn waits this long instead of spinning.
constexpr DWORD kLostDeviceWaitMs = 50;

// What the device was created with, as the viewer asked for it: Direct3D writes its defaults
// into the record it is given, so CreateDevice and Reset get copies. A reset asks for the same
// again, in the display's format of the time.
D3DPRESENT_PARAMETERS requestedParameters = {};
bool deviceLost = false;

D3DPRESENT_PARAMETERS windowedParameters(D3DFORMAT displayFormat)
{
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferFormat = displayFormat;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24X8;
    return parameters;
}

void SetStartupStates()
{
    g_device->SetRenderState(D3DRS_LIGHTING, TRUE);
    g_device->SetRenderState(D3DRS_AMBIENT, kAmbientLevel);
    g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    // Sampler 0 carries a model's base texture, sampler 1 its detail texture.
    for (DWORD sampler = 0; sampler < 2; ++sampler) {
        g_device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        g_device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        g_device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    }
}

// A display-mode change is the commonest loss, and a reset in the old mode's format may then fail
// every time. A mode that can't be read leaves the last format read, which is still worth a try.
void FollowDisplayFormat()
{
    D3DDISPLAYMODE mode;
    if (SUCCEEDED(g_direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode)))
        requestedParameters.BackBufferFormat = mode.Format;
}

// Lets the font's device objects go, resets the device and brings back the font and the states
// a reset forgets. Meshes and textures live in the managed pool and survive it.
bool ResetDevice()
{
    g_engine->onLostDevice();
    FollowDisplayFormat();
    D3DPRESENT_PARAMETERS parameters = requestedParameters;
    if (FAILED(g_device->Reset(&parameters)))
        return false;
    g_engine->onResetDevice();
    SetStartupStates();
    return true;
}

// False while a lost device can't be drawn on; asks Direct3D only once Present reported a loss.
bool DeviceReady()
{
    if (!deviceLost)
        return true;
    const HRESULT state = g_device->TestCooperativeLevel();
    if (state == D3D_OK || (state == D3DERR_DEVICENOTRESET && ResetDevice())) {
        deviceLost = false;
        return true;
    }
    platform().sleep(kLostDeviceWaitMs);
    return false;
}

} // namespace

HRESULT InitGraphics(HWND window)
{
    g_direct3d = platform().direct3DCreate9(D3D_SDK_VERSION);
    if (!g_direct3d)
        return E_FAIL;

    D3DDISPLAYMODE mode;
    if (FAILED(g_direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode)))
        return E_FAIL;

    requestedParameters = windowedParameters(mode.Format);
    deviceLost = false;
    D3DPRESENT_PARAMETERS parameters = requestedParameters;
    if (FAILED(g_direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                        D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                        &g_device)))
        return E_FAIL;

    g_engine->createFont();
    SetStartupStates();
    // A scene that fails to load reports itself; the viewer runs on without it.
    g_engine->loadStartupScene();
    return S_OK;
}

void ResetSceneLight()
{
    g_sceneLight = {};
    g_sceneLight.Type = D3DLIGHT_DIRECTIONAL;
    g_sceneLight.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    g_sceneLight.Ambient = {1.0f, 1.0f, 1.0f, 0.0f};
    g_sceneLight.Range = 10000.0f;
}

void ApplySceneLight()
{
    D3DXVec3Normalize(reinterpret_cast<D3DXVECTOR3*>(&g_sceneLight.Direction),
                      &kSceneLightDirection);
    g_device->SetLight(0, &g_sceneLight);
    g_device->LightEnable(0, TRUE);
}

void RenderFrame()
{
    if (!DeviceReady())
        return;
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColor, 1.0f, 0);
    if (SUCCEEDED(g_device->BeginScene())) {
        g_cameraRig.applyView();
        ApplySceneLight();
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        g_device->SetTransform(D3DTS_WORLD, &identity);
        g_engine->registry.drawAll();
        g_engine->drawHud();
        g_device->EndScene();
    }
    // Another program taking the screen, a display-mode change or a driver reset loses the device.
    if (g_device->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST)
        deviceLost = true;
}
