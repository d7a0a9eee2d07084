// A Direct3D device that records the calls the viewer makes and keeps what they set.
#include "tests/fakes/FakeDevice.h"

namespace {

std::string formatColor(const char* name, const D3DCOLORVALUE& color)
{
    return std::string(name) + ' ' + formatArg(color.r) + ' ' + formatArg(color.g) + ' ' +
           formatArg(color.b) + ' ' + formatArg(color.a);
}

std::string formatVector(const char* name, const D3DVECTOR& vector)
{
    return std::string(name) + ' ' + formatArg(vector.x) + ' ' + formatArg(vector.y) + ' ' +
           formatArg(vector.z);
}

} // namespace

void fillInPresentDefaults(D3DPRESENT_PARAMETERS& parameters, D3DFORMAT displayFormat)
{
    if (parameters.Windowed) {
        if (parameters.BackBufferWidth == 0)
            parameters.BackBufferWidth = kFakeClientWidth;
        if (parameters.BackBufferHeight == 0)
            parameters.BackBufferHeight = kFakeClientHeight;
        if (parameters.BackBufferFormat == D3DFMT_UNKNOWN)
            parameters.BackBufferFormat = displayFormat;
    }
    if (parameters.BackBufferCount == 0)
        parameters.BackBufferCount = 1;
}

STDMETHODIMP FakeDevice::Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                               float z, DWORD stencil)
{
    record(__func__, rectCount, rects, flags, LoggedColor{color}, z, stencil);
    return D3D_OK;
}

STDMETHODIMP FakeDevice::BeginScene()
{
    record(__func__);
    return beginSceneResult;
}

STDMETHODIMP FakeDevice::EndScene()
{
    record(__func__);
    return D3D_OK;
}

STDMETHODIMP FakeDevice::Present(const RECT* source, const RECT* destination, HWND window,
                                 const RGNDATA* dirtyRegion)
{
    record(__func__, source, destination, window, dirtyRegion);
    return presentResult;
}

STDMETHODIMP FakeDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    record(__func__, state, value);
    return D3D_OK;
}

STDMETHODIMP FakeDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    record(__func__, sampler, type, value);
    return D3D_OK;
}

STDMETHODIMP FakeDevice::SetLight(DWORD index, const D3DLIGHT9* light)
{
    if (!light) {
        record(__func__, index, nullptr);
        return D3DERR_INVALIDCALL;
    }
    record(__func__, index, "type " + formatArg(light->Type),
           formatColor("diffuse", light->Diffuse), formatColor("ambient", light->Ambient),
           formatVector("direction", light->Direction), "range " + formatArg(light->Range));
    lights[index] = *light;
    return D3D_OK;
}

STDMETHODIMP FakeDevice::LightEnable(DWORD index, BOOL enable)
{
    record(__func__, index, enable);
    return D3D_OK;
}

STDMETHODIMP FakeDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    record(__func__, state);
    if (!matrix)
        return D3DERR_INVALIDCALL;
    transforms[state] = *matrix;
    transformHistory.emplace_back(state, *matrix);
    return D3D_OK;
}

STDMETHODIMP FakeDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD value)
{
    record(__func__, stage, type, value);
    return D3D_OK;
}

STDMETHODIMP FakeDevice::SetMaterial(const D3DMATERIAL9* material)
{
    if (!material) {
        record(__func__, nullptr);
        return D3DERR_INVALIDCALL;
    }
    record(__func__, formatColor("diffuse", material->Diffuse),
           formatColor("ambient", material->Ambient), formatColor("specular", material->Specular),
           formatColor("emissive", material->Emissive), "power " + formatArg(material->Power));
    materials.push_back(*material);
    return D3D_OK;
}

STDMETHODIMP FakeDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    record(__func__, stage, texture);
    return D3D_OK;
}

STDMETHODIMP FakeDevice::TestCooperativeLevel()
{
    record(__func__);
    return cooperativeLevel;
}

STDMETHODIMP FakeDevice::Reset(D3DPRESENT_PARAMETERS* parameters)
{
    record(__func__, parameters);
    if (!parameters)
        return D3DERR_INVALIDCALL;
    resetParameters.push_back(*parameters);
    fillInPresentDefaults(*parameters, displayMode ? displayMode->Format : D3DFMT_UNKNOWN);
    if (resetResults.empty())
        return D3D_OK;
    const HRESULT result = resetResults.front();
    resetResults.pop_front();
    return result;
}
