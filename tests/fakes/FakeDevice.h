// A Direct3D device that records the calls the viewer makes and keeps what they set.
//
// Point g_device at one (FakePlatform's Direct3D hands one out from CreateDevice) and read the
// log: Clear(0, null, 3, 0xFF64C8FF, 1, 0), SetRenderState(137, 1), SetTexture(1, null).
// SetLight and SetMaterial log their records field by field; SetTransform logs the state alone
// and keeps the matrix, to compare with what D3DX computes. Set beginSceneResult to fail
// BeginScene, presentResult to lose the device, cooperativeLevel and resetResults for what
// TestCooperativeLevel and each Reset answer. Reset keeps the present parameters it is given,
// then writes Direct3D's defaults back into them, as CreateDevice does. Any other method logs
// Name(unexpected) and returns E_NOTIMPL.
#pragma once

#include <deque>
#include <map>
#include <utility>
#include <vector>

#include <d3d9.h>

#include "tests/fakes/FakeComObject.h"

// The client area of the window a fake device draws on.
constexpr UINT kFakeClientWidth = 640;
constexpr UINT kFakeClientHeight = 480;

// Writes back what Direct3D fills in when it creates or resets a device: a windowed back buffer
// of unset size gets the client area's, of unknown format the display's; one buffer at least.
void fillInPresentDefaults(D3DPRESENT_PARAMETERS& parameters, D3DFORMAT displayFormat);

class FakeDevice final : public FakeComObject<IDirect3DDevice9> {
public:
    FakeDevice() : FakeComObject("device", true) {}

    HRESULT beginSceneResult = D3D_OK;
    HRESULT presentResult = D3D_OK;
    HRESULT cooperativeLevel = D3D_OK;
    std::deque<HRESULT> resetResults;   // one a Reset; D3D_OK once they run out
    std::vector<D3DPRESENT_PARAMETERS> resetParameters;   // what each Reset was given, in order
    const D3DDISPLAYMODE* displayMode = nullptr;   // the adapter's, set by its Direct3D

    std::map<D3DTRANSFORMSTATETYPE, D3DMATRIX> transforms;   // the last matrix of each state
    std::vector<std::pair<D3DTRANSFORMSTATETYPE, D3DMATRIX>> transformHistory;
    std::map<DWORD, D3DLIGHT9> lights;                       // the last light at each index
    std::vector<D3DMATERIAL9> materials;                     // every material set, in order

    STDMETHODIMP Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                       DWORD stencil) override;
    STDMETHODIMP BeginScene() override;
    STDMETHODIMP EndScene() override;
    STDMETHODIMP Present(const RECT* source, const RECT* destination, HWND window,
                         const RGNDATA* dirtyRegion) override;
    STDMETHODIMP SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    STDMETHODIMP SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    STDMETHODIMP SetLight(DWORD index, const D3DLIGHT9* light) override;
    STDMETHODIMP LightEnable(DWORD index, BOOL enable) override;
    STDMETHODIMP SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    STDMETHODIMP SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                      DWORD value) override;
    STDMETHODIMP SetMaterial(const D3DMATERIAL9* material) override;
    STDMETHODIMP SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    STDMETHODIMP TestCooperativeLevel() override;
    STDMETHODIMP Reset(D3DPRESENT_PARAMETERS* parameters) override;

    STDMETHODIMP_(UINT) GetAvailableTextureMem() override { unexpected(__func__); return {}; }
    STDMETHODIMP EvictManagedResources() override { return unexpected(__func__); }
    STDMETHODIMP GetDirect3D(IDirect3D9**) override { return unexpected(__func__); }
    STDMETHODIMP GetDeviceCaps(D3DCAPS9*) override { return unexpected(__func__); }
    STDMETHODIMP GetDisplayMode(UINT, D3DDISPLAYMODE*) override { return unexpected(__func__); }
    STDMETHODIMP GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS*) override
        { return unexpected(__func__); }
    STDMETHODIMP SetCursorProperties(UINT, UINT, IDirect3DSurface9*) override
        { return unexpected(__func__); }
    STDMETHODIMP_(void) SetCursorPosition(int, int, DWORD) override { unexpected(__func__); }
    STDMETHODIMP_(BOOL) ShowCursor(BOOL) override { unexpected(__func__); return {}; }
    STDMETHODIMP CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9**) override
        { return unexpected(__func__); }
    STDMETHODIMP GetSwapChain(UINT, IDirect3DSwapChain9**) override { return unexpected(__func__); }
    STDMETHODIMP_(UINT) GetNumberOfSwapChains() override { unexpected(__func__); return {}; }
    STDMETHODIMP GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override
        { return unexpected(__func__); }
    STDMETHODIMP GetRasterStatus(UINT, D3DRASTER_STATUS*) override { return unexpected(__func__); }
    STDMETHODIMP SetDialogBoxMode(BOOL) override { return unexpected(__func__); }
    STDMETHODIMP_(void) SetGammaRamp(UINT, DWORD, const D3DGAMMARAMP*) override
        { unexpected(__func__); }
    STDMETHODIMP_(void) GetGammaRamp(UINT, D3DGAMMARAMP*) override { unexpected(__func__); }
    STDMETHODIMP CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**,
        HANDLE*) override { return unexpected(__func__); }
    STDMETHODIMP CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
        IDirect3DVolumeTexture9**, HANDLE*) override { return unexpected(__func__); }
    STDMETHODIMP CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9**,
        HANDLE*) override { return unexpected(__func__); }
    STDMETHODIMP CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9**,
        HANDLE*) override { return unexpected(__func__); }
    STDMETHODIMP CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer9**,
        HANDLE*) override { return unexpected(__func__); }
    STDMETHODIMP CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
        IDirect3DSurface9**, HANDLE*) override { return unexpected(__func__); }
    STDMETHODIMP CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
        IDirect3DSurface9**, HANDLE*) override { return unexpected(__func__); }
    STDMETHODIMP UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*,
        const POINT*) override { return unexpected(__func__); }
    STDMETHODIMP UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*) override
        { return unexpected(__func__); }
    STDMETHODIMP GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override
        { return unexpected(__func__); }
    STDMETHODIMP GetFrontBufferData(UINT, IDirect3DSurface9*) override
        { return unexpected(__func__); }
    STDMETHODIMP StretchRect(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*,
        D3DTEXTUREFILTERTYPE) override { return unexpected(__func__); }
    STDMETHODIMP ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR) override
        { return unexpected(__func__); }
    STDMETHODIMP CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**,
        HANDLE*) override { return unexpected(__func__); }
    STDMETHODIMP SetRenderTarget(DWORD, IDirect3DSurface9*) override
        { return unexpected(__func__); }
    STDMETHODIMP GetRenderTarget(DWORD, IDirect3DSurface9**) override
        { return unexpected(__func__); }
    STDMETHODIMP SetDepthStencilSurface(IDirect3DSurface9*) override
        { return unexpected(__func__); }
    STDMETHODIMP GetDepthStencilSurface(IDirect3DSurface9**) override
        { return unexpected(__func__); }
    STDMETHODIMP GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override
        { return unexpected(__func__); }
    STDMETHODIMP MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override
        { return unexpected(__func__); }
    STDMETHODIMP SetViewport(const D3DVIEWPORT9*) override { return unexpected(__func__); }
    STDMETHODIMP GetViewport(D3DVIEWPORT9*) override { return unexpected(__func__); }
    STDMETHODIMP GetMaterial(D3DMATERIAL9*) override { return unexpected(__func__); }
    STDMETHODIMP GetLight(DWORD, D3DLIGHT9*) override { return unexpected(__func__); }
    STDMETHODIMP GetLightEnable(DWORD, BOOL*) override { return unexpected(__func__); }
    STDMETHODIMP SetClipPlane(DWORD, const float*) override { return unexpected(__func__); }
    STDMETHODIMP GetClipPlane(DWORD, float*) override { return unexpected(__func__); }
    STDMETHODIMP GetRenderState(D3DRENDERSTATETYPE, DWORD*) override
        { return unexpected(__func__); }
    STDMETHODIMP CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9**) override
        { return unexpected(__func__); }
    STDMETHODIMP BeginStateBlock() override { return unexpected(__func__); }
    STDMETHODIMP EndStateBlock(IDirect3DStateBlock9**) override { return unexpected(__func__); }
    STDMETHODIMP SetClipStatus(const D3DCLIPSTATUS9*) override { return unexpected(__func__); }
    STDMETHODIMP GetClipStatus(D3DCLIPSTATUS9*) override { return unexpected(__func__); }
    STDMETHODIMP GetTexture(DWORD, IDirect3DBaseTexture9**) override
        { return unexpected(__func__); }
    STDMETHODIMP GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override
        { return unexpected(__func__); }
    STDMETHODIMP GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD*) override
        { return unexpected(__func__); }
    STDMETHODIMP ValidateDevice(DWORD*) override { return unexpected(__func__); }
    STDMETHODIMP SetPaletteEntries(UINT, const PALETTEENTRY*) override
        { return unexpected(__func__); }
    STDMETHODIMP GetPaletteEntries(UINT, PALETTEENTRY*) override { return unexpected(__func__); }
    STDMETHODIMP SetCurrentTexturePalette(UINT) override { return unexpected(__func__); }
    STDMETHODIMP GetCurrentTexturePalette(UINT*) override { return unexpected(__func__); }
    STDMETHODIMP SetScissorRect(const RECT*) override { return unexpected(__func__); }
    STDMETHODIMP GetScissorRect(RECT*) override { return unexpected(__func__); }
    STDMETHODIMP SetSoftwareVertexProcessing(BOOL) override { return unexpected(__func__); }
    STDMETHODIMP_(BOOL) GetSoftwareVertexProcessing() override { unexpected(__func__); return {}; }
    STDMETHODIMP SetNPatchMode(float) override { return unexpected(__func__); }
    STDMETHODIMP_(float) GetNPatchMode() override { unexpected(__func__); return {}; }
    STDMETHODIMP DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT,
        const void*, UINT) override { return unexpected(__func__); }
    STDMETHODIMP ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer9*,
        IDirect3DVertexDeclaration9*, DWORD) override { return unexpected(__func__); }
    STDMETHODIMP CreateVertexDeclaration(const D3DVERTEXELEMENT9*,
        IDirect3DVertexDeclaration9**) override { return unexpected(__func__); }
    STDMETHODIMP SetVertexDeclaration(IDirect3DVertexDeclaration9*) override
        { return unexpected(__func__); }
    STDMETHODIMP GetVertexDeclaration(IDirect3DVertexDeclaration9**) override
        { return unexpected(__func__); }
    STDMETHODIMP SetFVF(DWORD) override { return unexpected(__func__); }
    STDMETHODIMP GetFVF(DWORD*) override { return unexpected(__func__); }
    STDMETHODIMP CreateVertexShader(const DWORD*, IDirect3DVertexShader9**) override
        { return unexpected(__func__); }
    STDMETHODIMP SetVertexShader(IDirect3DVertexShader9*) override { return unexpected(__func__); }
    STDMETHODIMP GetVertexShader(IDirect3DVertexShader9**) override { return unexpected(__func__); }
    STDMETHODIMP SetVertexShaderConstantF(UINT, const float*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP GetVertexShaderConstantF(UINT, float*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP SetVertexShaderConstantI(UINT, const int*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP GetVertexShaderConstantI(UINT, int*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP SetVertexShaderConstantB(UINT, const BOOL*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP GetVertexShaderConstantB(UINT, BOOL*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP GetStreamSource(UINT, IDirect3DVertexBuffer9**, UINT*, UINT*) override
        { return unexpected(__func__); }
    STDMETHODIMP SetStreamSourceFreq(UINT, UINT) override { return unexpected(__func__); }
    STDMETHODIMP GetStreamSourceFreq(UINT, UINT*) override { return unexpected(__func__); }
    STDMETHODIMP SetIndices(IDirect3DIndexBuffer9*) override { return unexpected(__func__); }
    STDMETHODIMP GetIndices(IDirect3DIndexBuffer9**) override { return unexpected(__func__); }
    STDMETHODIMP CreatePixelShader(const DWORD*, IDirect3DPixelShader9**) override
        { return unexpected(__func__); }
    STDMETHODIMP SetPixelShader(IDirect3DPixelShader9*) override { return unexpected(__func__); }
    STDMETHODIMP GetPixelShader(IDirect3DPixelShader9**) override { return unexpected(__func__); }
    STDMETHODIMP SetPixelShaderConstantF(UINT, const float*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP GetPixelShaderConstantF(UINT, float*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP SetPixelShaderConstantI(UINT, const int*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP GetPixelShaderConstantI(UINT, int*, UINT) override { return unexpected(__func__); }
    STDMETHODIMP SetPixelShaderConstantB(UINT, const BOOL*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP GetPixelShaderConstantB(UINT, BOOL*, UINT) override
        { return unexpected(__func__); }
    STDMETHODIMP DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) override
        { return unexpected(__func__); }
    STDMETHODIMP DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) override
        { return unexpected(__func__); }
    STDMETHODIMP DeletePatch(UINT) override { return unexpected(__func__); }
    STDMETHODIMP CreateQuery(D3DQUERYTYPE, IDirect3DQuery9**) override
        { return unexpected(__func__); }
};
