// Loading a model from its .x file: mesh, materials, base and detail textures, detail coordinates.
#include "scene/Model.h"

#include <optional>
#include <string_view>

#include "app/Graphics.h"
#include "app/Platform.h"
#include "scene/ImageFileCheck.h"
#include "scene/XFileCheck.h"

namespace {

constexpr char kDetailTextureFile[] = "objektumok\\haz\\Detail.bmp";
constexpr float kDetailRepeat = 40.0f;

// Message texts and captions, in code page 1250; the readable text stands beside each.
constexpr char kMissingMeshCaption[] = "Nem tal\xE1lom az x filet!";   // Nem találom az x filet!
constexpr char kNoMaterialsText[] = "Nincsen is materials";
constexpr char kNoMaterialsCaption[] = "Bassz!!";
constexpr char kMissingTextureCaption[] =
    "Nincs meg a text\xFAra file! :(";                  // Nincs meg a textúra file! :(
constexpr char kVertexLockText[] =
    "Nem siker\xFClt be\xEDrni a vertex adatokat!";     // Nem sikerült beírni a vertex adatokat!
constexpr char kVertexLockCaption[] = "d3d_engin";

static_assert(sizeof(ModelVertex) == 28,
              "the detail pass steps through the vertex buffer 28 bytes at a time");

void showMessage(const char* text, const char* caption)
{
    platform().messageBox(nullptr, text, caption, MB_OK);
}

// Everything up to and including the last backslash, or nothing when there is none. Only the
// backslash separates directories; a forward slash is part of a name. Any length works.
std::string directoryPrefix(const std::string& fileName)
{
    // The loader reads the name only up to its first zero byte, so the prefix does the same.
    const std::string_view name(fileName.c_str());
    const size_t lastBackslash = name.rfind('\\');
    if (lastBackslash == std::string_view::npos)
        return {};
    return std::string(name.substr(0, lastBackslash + 1));
}

// The mesh carries no normals, so lighting reaches it only through the ambient term; taking the
// ambient colour from the diffuse one shows every material in the colour its file gives it.
D3DMATERIAL9 withAmbientFromDiffuse(D3DMATERIAL9 material)
{
    material.Ambient = material.Diffuse;
    return material;
}

// A texture from an image that has passed its check; one that fails is refused as D3DX refuses
// a file it can't read.
HRESULT createCheckedTexture(const std::string& path, ComPtr<IDirect3DTexture9>& texture)
{
    if (!ImageMayBeLoaded(path))
        return D3DXERR_INVALIDDATA;
    return platform().createTextureFromFile(g_device, path.c_str(), texture.out());
}

} // namespace

HRESULT Model::load()
{
    // A second load replaces what the first one read; nothing of it may linger.
    releaseResources();
    if (!XFileMayBeLoaded(fileName)) {
        showMessage(fileName.c_str(), kMissingMeshCaption);
        return E_FAIL;
    }
    ComPtr<ID3DXBuffer> materialBuffer;
    ComPtr<ID3DXMesh> loadedMesh;
    // Read into a local so that a file that can't be read leaves this model fresh.
    DWORD loadedMaterialCount = 0;
    const HRESULT result = platform().loadMeshFromX(fileName.c_str(), D3DXMESH_MANAGED, g_device,
                                                    nullptr, materialBuffer.out(), nullptr,
                                                    &loadedMaterialCount, loadedMesh.out());
    // A loader that reports success without a mesh has read nothing either.
    if (FAILED(result) || !loadedMesh) {
        showMessage(fileName.c_str(), kMissingMeshCaption);
        return E_FAIL;
    }
    materialCount = loadedMaterialCount;

    const std::string prefix = directoryPrefix(fileName);
    if (materialCount == 0)
        showMessage(kNoMaterialsText, kNoMaterialsCaption);

    materials.assign(materialCount, D3DMATERIAL9{});
    textures.resize(materialCount);
    detailTextures.resize(materialCount);

    // Without a material buffer there is nothing to read: the materials stay zero, untextured.
    const auto* fileMaterials = materialBuffer
        ? static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer())
        : nullptr;
    // One detail texture file serves every material: its check runs once a load.
    std::optional<bool> detailMayBeLoaded;
    for (DWORD i = 0; fileMaterials && i < materialCount; ++i) {
        materials[i] = withAmbientFromDiffuse(fileMaterials[i].MatD3D);
        const char* textureName = fileMaterials[i].pTextureFilename;
        if (!textureName || !*textureName)
            continue;

        // Texture names are relative to the .x file's own directory.
        const std::string texturePath = prefix + textureName;
        if (FAILED(createCheckedTexture(texturePath, textures[i])))
            showMessage(texturePath.c_str(), kMissingTextureCaption);
        // Each textured material gets its own detail texture; one that is missing isn't reported.
        if (!detailMayBeLoaded)
            detailMayBeLoaded = ImageMayBeLoaded(kDetailTextureFile);
        if (*detailMayBeLoaded)
            platform().createTextureFromFile(g_device, kDetailTextureFile, detailTextures[i].out());
    }

    // A clone that yields nothing leaves the mesh null; drawing then skips the subsets.
    loadedMesh->CloneMeshFVF(D3DXMESH_MANAGED, kModelVertexFormat, g_device, mesh.out());
    loadedMesh.reset();
    materialBuffer.reset();

    ResetSceneLight();
    scaleDetailCoordinates();
    return S_OK;
}

void Model::scaleDetailCoordinates()
{
    if (!mesh)
        return;
    const DWORD vertexCount = mesh->GetNumVertices();
    ComPtr<IDirect3DVertexBuffer9> vertexBuffer;
    void* data = nullptr;
    if (FAILED(mesh->GetVertexBuffer(vertexBuffer.out())) ||
        FAILED(vertexBuffer->Lock(0, 0, &data, 0))) {
        showMessage(kVertexLockText, kVertexLockCaption);
        return;
    }

    // The detail texture repeats kDetailRepeat times where the base texture is laid once.
    auto* vertices = static_cast<ModelVertex*>(data);
    for (DWORD k = 0; k < vertexCount; ++k) {
        vertices[k].detailU = vertices[k].u * kDetailRepeat;
        vertices[k].detailV = vertices[k].v * kDetailRepeat;
    }
    vertexBuffer->Unlock();
}
