// Drawing a model at each of its instances: world matrix, texture stages, one draw per material.
#include "scene/Model.h"

#include "app/Graphics.h"

namespace {

// World = Rz · Ry · Rx · T for row vectors: a point turns about Z, then Y, then X, then moves.
// Each rotation is multiplied in on the left of what has been built so far.
void buildWorld(ModelInstance& instance)
{
    D3DXMATRIX rotation;
    D3DXMatrixTranslation(&instance.world, static_cast<float>(instance.position.x),
                          static_cast<float>(instance.position.y),
                          static_cast<float>(instance.position.z));
    D3DXMatrixRotationX(&rotation, static_cast<float>(instance.rotation.x));
    D3DXMatrixMultiply(&instance.world, &rotation, &instance.world);
    D3DXMatrixRotationY(&rotation, static_cast<float>(instance.rotation.y));
    D3DXMatrixMultiply(&instance.world, &rotation, &instance.world);
    D3DXMatrixRotationZ(&rotation, static_cast<float>(instance.rotation.z));
    D3DXMatrixMultiply(&instance.world, &rotation, &instance.world);
}

// Stage 0: base texel × lit colour. Stage 1: × detail texel × 2, so a mid-grey detail texel
// leaves the base colour as it is.
void setTextureStages()
{
    g_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    g_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    g_device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    g_device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
}

} // namespace

void Model::draw()
{
    for (auto& [name, instance] : instances) {
        buildWorld(instance);
        g_device->SetTransform(D3DTS_WORLD, &instance.world);
        // Set again for every instance: nothing is cached between draws or frames.
        setTextureStages();
        if (!mesh)
            continue;
        for (DWORD i = 0; i < materialCount; ++i) {
            g_device->SetMaterial(&materials[i]);
            g_device->SetTexture(0, textures[i].get());
            g_device->SetTexture(1, detailTextures[i].get());
            mesh->DrawSubset(i);
        }
    }
}
