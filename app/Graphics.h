// The Direct3D device, its start-up states, the scene light and the drawing of one frame.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

extern IDirect3D9* g_direct3d;
extern IDirect3DDevice9* g_device;
extern D3DLIGHT9 g_sceneLight;

constexpr D3DCOLOR kClearColor = 0xFF64C8FF;   // sky: red 100, green 200, blue 255
constexpr DWORD kAmbientLevel = 0x00252525;
extern const D3DXVECTOR3 kSceneLightDirection;

// Creates the device on `window` and sets the states that hold for the whole run.
// S_OK, or E_FAIL when Direct3D, the display mode or the device could not be had.
HRESULT InitGraphics(HWND window);

// Clears the scene light and writes its defaults: a white directional light.
void ResetSceneLight();

void ApplySceneLight();
void RenderFrame();
