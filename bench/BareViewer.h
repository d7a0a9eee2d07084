// The bare side of the benchmarks: the Win32, Direct3D 9, D3DX and DirectInput calls the viewer
// makes, made straight and in the same order, so that a ratio against it shows only what the
// viewer's own code adds.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>
#include <dinput.h>

#include "app/ComPtr.h"

// A model as bare D3DX leaves it; the field names match the viewer's Model so drawSubsets
// takes either.
struct BareModel {
    ComPtr<ID3DXMesh> mesh;
    std::vector<D3DMATERIAL9> materials;
    std::vector<ComPtr<IDirect3DTexture9>> textures;
    std::vector<ComPtr<IDirect3DTexture9>> detailTextures;
};

// What a bare turn works with: the device, the HUD font, the two input devices and the HUD's
// frame-rate clock, kept as the viewer keeps it.
struct BareSession {
    IDirect3DDevice9* device = nullptr;
    ID3DXFont* font = nullptr;
    IDirectInputDevice8A* keyboard = nullptr;
    IDirectInputDevice8A* mouse = nullptr;
    int frameCount = 10;
    DWORD lastTick = 0;
    DWORD prevTick = 0;
};

// Everything a bare start-up creates; members go in reverse order, the device after its font.
struct BareProgram {
    HWND window = nullptr;
    ComPtr<IDirect3D9> direct3d;
    ComPtr<IDirect3DDevice9> device;
    ComPtr<ID3DXFont> font;
    ComPtr<IDirectInput8A> directInput;
    ComPtr<IDirectInputDevice8A> keyboard;
    ComPtr<IDirectInputDevice8A> mouse;
    BareModel scene;

    ~BareProgram();   // after it, the window procedure leaves the devices alone
    BareSession session() const;
};

// The viewer's start-up, step for step: cursor, class and window, device, font, render and
// sampler states, the start-up scene, the window shown, DirectInput with its keyboard and mouse
// acquired, the window shown again and updated; its window procedure acquires both devices on
// WM_ACTIVATE, as the viewer's does. False when the device or input could not be had.
bool startBare(BareProgram& program);

// The viewer's window and device parameters; the window procedure acquires the input devices of
// the bare program started last, if any, and leaves everything else to the default one.
HWND createBareWindow();
ComPtr<IDirect3DDevice9> createBareDevice(IDirect3D9* direct3d, HWND window);

// The D3DX calls the viewer makes for one file, in its order: the mesh with its materials, the
// texture and the detail texture of each textured material, the clone to the viewer's vertex,
// the detail coordinates written into it.
bool loadBare(IDirect3DDevice9* device, const std::string& fileName, BareModel& model);

// Steps of one bare turn, each the calls of the viewer's step of the same name.
void readBareInput(const BareSession& session);
void setStartupCamera(IDirect3DDevice9* device);
void applyBareLight(IDirect3DDevice9* device);
void setBareWorld(IDirect3DDevice9* device);
void setBareStages(IDirect3DDevice9* device);
void drawBareHud(BareSession& session);

template <typename AnyModel>
void drawSubsets(IDirect3DDevice9* device, const AnyModel& model)
{
    if (!model.mesh)
        return;
    for (DWORD i = 0; i < model.materials.size(); ++i) {
        device->SetMaterial(&model.materials[i]);
        device->SetTexture(0, model.textures[i].get());
        device->SetTexture(1, model.detailTextures[i].get());
        model.mesh->DrawSubset(i);
    }
}

// One idle turn of the viewer made of bare calls: both devices read, then the frame from the
// start-up camera with every model once at the origin and the HUD's eleven lines of text.
template <typename AnyModel>
void bareTurn(BareSession& session, const std::vector<const AnyModel*>& models)
{
    IDirect3DDevice9* device = session.device;
    readBareInput(session);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF64C8FF, 1.0f, 0);
    if (SUCCEEDED(device->BeginScene())) {
        setStartupCamera(device);
        applyBareLight(device);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        device->SetTransform(D3DTS_WORLD, &identity);
        for (const AnyModel* model : models) {
            setBareWorld(device);
            setBareStages(device);
            drawSubsets(device, *model);
        }
        drawBareHud(session);
        device->EndScene();
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
}
