// A real HAL device under Wine for the scene tests that load files through the real D3DX, with
// message boxes only recorded, since a real one waits for a click.
#pragma once

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "app/Graphics.h"
#include "tests/scene/SceneFixture.h"

// Real meshes and textures; every other platform call, message boxes among them, goes to the fake.
class RealLoadsRecordedMessages final : public FakePlatform {
public:
    bool readFile(LPCSTR fileName, std::string& bytes) override
    {
        return realFunctions().readFile(fileName, bytes);
    }
    HRESULT loadMeshFromXInMemory(LPCVOID memory, DWORD size, DWORD options,
                                  IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                                  ID3DXBuffer** materials, ID3DXBuffer** effectInstances,
                                  DWORD* materialCount, ID3DXMesh** created) override
    {
        return realFunctions().loadMeshFromXInMemory(memory, size, options, device, adjacency,
                                                     materials, effectInstances, materialCount,
                                                     created);
    }
    HRESULT createTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data, UINT size,
                                            UINT width, UINT height, UINT mipLevels,
                                            DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                            IDirect3DTexture9** created) override
    {
        return realFunctions().createTextureFromFileInMemoryEx(
            device, data, size, width, height, mipLevels, usage, format, pool, filter, mipFilter,
            colorKey, info, palette, created);
    }
};

// Makes g_device, on a small window that is never shown. Without Wine and a display there is no
// device, and open() fails the test rather than skipping it.
class RealDevice {
public:
    void open()
    {
        window = CreateWindowExA(0, "STATIC", "scene test", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(window);
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_TRUE(direct3d);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = TRUE;
        parameters.EnableAutoDepthStencil = TRUE;
        parameters.AutoDepthStencilFormat = D3DFMT_D24X8;
        const HRESULT created = direct3d->CreateDevice(
            D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
            &parameters, &g_device);
        ASSERT_EQ(created, D3D_OK) << "no Direct3D device: these tests need Wine and a display";
    }

    // Everything made on the device must have been released before this.
    void close()
    {
        if (g_device)
            std::exchange(g_device, nullptr)->Release();
        if (direct3d)
            std::exchange(direct3d, nullptr)->Release();
        if (window)
            DestroyWindow(std::exchange(window, nullptr));
    }

private:
    HWND window = nullptr;
    IDirect3D9* direct3d = nullptr;
};
