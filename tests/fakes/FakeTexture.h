// A texture that is only ever set on a stage and released.
//
// Logged as texture:<name>; FakePlatform's createTextureFromFile names each after its file, with
// #2, #3... for further textures from the same file: SetTexture(1, texture:Detail.bmp#2).
// Compare releaseCount or the Release(texture:...) entries to check each is released once.
#pragma once

#include <string>

#include <d3d9.h>

#include "tests/fakes/FakeComObject.h"

class FakeTexture final : public FakeComObject<IDirect3DTexture9> {
public:
    explicit FakeTexture(const std::string& name) : FakeComObject("texture:" + name, false) {}

    STDMETHODIMP GetDevice(IDirect3DDevice9**) override { return unexpected(__func__); }
    STDMETHODIMP SetPrivateData(REFGUID, const void*, DWORD, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP GetPrivateData(REFGUID, void*, DWORD*) override { return unexpected(__func__); }
    STDMETHODIMP FreePrivateData(REFGUID) override { return unexpected(__func__); }
    STDMETHODIMP_(DWORD) SetPriority(DWORD) override { unexpected(__func__); return {}; }
    STDMETHODIMP_(DWORD) GetPriority() override { unexpected(__func__); return {}; }
    STDMETHODIMP_(void) PreLoad() override { unexpected(__func__); }
    STDMETHODIMP_(D3DRESOURCETYPE) GetType() override { unexpected(__func__); return {}; }
    STDMETHODIMP_(DWORD) SetLOD(DWORD) override { unexpected(__func__); return {}; }
    STDMETHODIMP_(DWORD) GetLOD() override { unexpected(__func__); return {}; }
    STDMETHODIMP_(DWORD) GetLevelCount() override { unexpected(__func__); return {}; }
    STDMETHODIMP SetAutoGenFilterType(D3DTEXTUREFILTERTYPE) override
        { return unexpected(__func__); }
    STDMETHODIMP_(D3DTEXTUREFILTERTYPE) GetAutoGenFilterType() override
        { unexpected(__func__); return {}; }
    STDMETHODIMP_(void) GenerateMipSubLevels() override { unexpected(__func__); }
    STDMETHODIMP GetLevelDesc(UINT, D3DSURFACE_DESC*) override { return unexpected(__func__); }
    STDMETHODIMP GetSurfaceLevel(UINT, IDirect3DSurface9**) override
        { return unexpected(__func__); }
    STDMETHODIMP LockRect(UINT, D3DLOCKED_RECT*, const RECT*, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP UnlockRect(UINT) override { return unexpected(__func__); }
    STDMETHODIMP AddDirtyRect(const RECT*) override { return unexpected(__func__); }
};
