// What the benchmarks share: clocks, the memory read-out, medians, waiting for the device, and
// the bare Direct3D 9 + D3DX window, device, loading and drawing the viewer is measured against.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include "app/ComPtr.h"

constexpr D3DCOLOR kBareClearColor = 0xFF64C8FF;   // the viewer's sky

double nowMs();

// Wall-clock time since the process was created, as Windows (or Wine) recorded it.
double msSinceProcessStart();

// PROCESS_MEMORY_COUNTERS_EX.PrivateUsage, the private committed bytes. Under Wine it is read
// from Linux's resident anonymous memory plus swap.
SIZE_T privateBytes();

double median(std::vector<double> values);

// Direct3D under Wine queues work for a worker thread; waiting on an event query makes a
// measured step include what it queued, such as the drawing behind a Present.
void waitForDevice(IDirect3DDevice9* device);

// Dispatches whatever is queued for this thread, so the window stays responsive between turns.
void pumpMessages();

// The viewer's window shape and device parameters, with the default window procedure.
HWND createBareWindow();
ComPtr<IDirect3DDevice9> createBareDevice(IDirect3D9* direct3d, HWND window);

// A model as bare D3DX leaves it; the field names match the viewer's Model so drawSubsets
// takes either.
struct BareModel {
    ComPtr<ID3DXMesh> mesh;
    std::vector<D3DMATERIAL9> materials;
    std::vector<ComPtr<IDirect3DTexture9>> textures;
    std::vector<ComPtr<IDirect3DTexture9>> detailTextures;
};

// The D3DX calls the viewer makes for one file, in its order: the mesh with its materials, the
// texture and the detail texture of each textured material, the clone to the viewer's vertex.
bool loadBare(IDirect3DDevice9* device, const std::string& fileName, BareModel& model);

// The viewer's texture stage states: base × lit colour, then × detail × 2.
void setBareStages(IDirect3DDevice9* device);

// The view and projection of the viewer's orbit camera before it is moved.
void setStartupCamera(IDirect3DDevice9* device);

// Clears, draws the models at the origin from the start-up camera, presents.
void drawBareFrame(IDirect3DDevice9* device, const std::vector<const BareModel*>& models);

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

// Mean milliseconds of one call of `turn` over `count` calls; messages are taken between calls,
// outside the clock, and the device is drained at the end, inside it.
template <typename Turn>
double meanTurnMs(IDirect3DDevice9* device, int count, Turn turn)
{
    double total = 0;
    for (int i = 0; i < count; ++i) {
        pumpMessages();
        const double start = nowMs();
        turn();
        total += nowMs() - start;
    }
    const double start = nowMs();
    waitForDevice(device);
    total += nowMs() - start;
    return total / count;
}
