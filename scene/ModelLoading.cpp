// Loading a model from its .x file: mesh, materials, base and detail textures, detail coordinates.
#include "scene/Model.h"

#include <map>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "app/Graphics.h"
#include "app/Platform.h"
#include "formats/ImageFileCheck.h"
#include "formats/XFileAdjustments.h"
#include "formats/XFileCheck.h"
#include "formats/XFileWineLimits.h"

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

// A file can make the reading, unpacking, checking or adjusting of its bytes ask for more memory
// than there is: that file is refused like any other, and the viewer goes on.
template <typename Work, typename Result>
Result refusedWhenOutOfMemory(Work work, Result refusal)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return refusal;
    }
}

// The textures of one load: each file is read, checked and made into a texture once, however
// many materials name it, and every material that names it holds a reference of its own. A file
// that failed is not tried again.
class TextureFiles {
public:
    // The texture made from the file at `path`, shared into `texture`; a file that can't be read
    // or fails its check is refused as D3DX refuses a file it can't read.
    HRESULT share(const std::string& path, ComPtr<IDirect3DTexture9>& texture)
    {
        auto [entry, isNew] = made.try_emplace(path);
        if (isNew)
            entry->second.result = create(path, entry->second.texture);
        texture = entry->second.texture.share();
        return entry->second.result;
    }

private:
    struct MadeTexture {
        HRESULT result = E_FAIL;
        ComPtr<IDirect3DTexture9> texture;
    };

    static HRESULT create(const std::string& path, ComPtr<IDirect3DTexture9>& texture)
    {
        std::string bytes;
        const bool usable = refusedWhenOutOfMemory(
            [&] { return platform().readFile(path.c_str(), bytes) && ImageMayBeLoaded(bytes); }, false);
        if (!usable)
            return D3DXERR_INVALIDDATA;
        // What D3DXCreateTextureFromFileA passes on for a file it has read.
        return platform().createTextureFromFileInMemoryEx(
            g_device, bytes.data(), static_cast<UINT>(bytes.size()), D3DX_DEFAULT, D3DX_DEFAULT,
            D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
            nullptr, nullptr, texture.out());
    }

    std::map<std::string, MadeTexture> made;
};

// The standard templates that Windows' loader knows and Wine's doesn't register, as the SDK header
// gives them: text .x files of their declarations.
const std::vector<std::string_view> kStandardTemplates = {XSKINEXP_TEMPLATES, XEXTENSIONS_TEMPLATES};

// The body of the .x file for the mesh loader, or nothing when the file can't be read or isn't
// one.
std::optional<std::string> meshBody(const std::string& fileName)
{
    return refusedWhenOutOfMemory([&]() -> std::optional<std::string> {
        std::string bytes;
        if (!platform().readFile(fileName.c_str(), bytes))
            return std::nullopt;
        return XFileUnpacked(std::move(bytes));
    }, std::optional<std::string>());
}

bool fitsWinesReader(const std::string& body)
{
    return refusedWhenOutOfMemory([&] { return XFileFitsWinesReader(body); }, false);
}

HRESULT loadMeshFromBytes(const std::string& bytes, ComPtr<ID3DXBuffer>& materialBuffer,
                          DWORD& materialCount, ComPtr<ID3DXMesh>& mesh)
{
    const HRESULT result = platform().loadMeshFromXInMemory(
        bytes.data(), static_cast<DWORD>(bytes.size()), D3DXMESH_MANAGED, g_device, nullptr,
        materialBuffer.out(), nullptr, &materialCount, mesh.out());
    // A loader that reports success without a mesh has read nothing either.
    return SUCCEEDED(result) && !mesh ? E_FAIL : result;
}

// The mesh of the .x file `fileName`, from its checked bytes. Wine's loader refuses some files
// that Windows' loader reads, for limits of its own, and can't read others safely: adjusted bytes,
// checked as any file is, get one more try. A file that loads needs none. The bytes go when the
// mesh has been made.
HRESULT loadMesh(const std::string& fileName, ComPtr<ID3DXBuffer>& materialBuffer,
                 DWORD& materialCount, ComPtr<ID3DXMesh>& mesh)
{
    std::optional<std::string> body = meshBody(fileName);
    if (!body)
        return E_FAIL;
    HRESULT result = E_FAIL;
    if (fitsWinesReader(*body)) {
        result = loadMeshFromBytes(*body, materialBuffer, materialCount, mesh);
        if (SUCCEEDED(result))
            return result;
    }
    std::optional<std::string> adjusted = refusedWhenOutOfMemory(
        [&] { return XFileAdjustedForWine(*body, kStandardTemplates); }, std::optional<std::string>());
    body.reset();
    if (!adjusted || !fitsWinesReader(*adjusted))
        return result;
    return loadMeshFromBytes(*adjusted, materialBuffer, materialCount, mesh);
}

} // namespace

HRESULT Model::load()
{
    // A second load replaces what the first one read; nothing of it may linger.
    releaseResources();
    ComPtr<ID3DXBuffer> materialBuffer;
    ComPtr<ID3DXMesh> loadedMesh;
    // Read into a local so that a file that can't be read leaves this model fresh.
    DWORD loadedMaterialCount = 0;
    const HRESULT result = loadMesh(fileName, materialBuffer, loadedMaterialCount, loadedMesh);
    if (FAILED(result)) {
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
    // The load's own references to the textures go with this block, once every material that
    // names a file holds one.
    {
        TextureFiles textureFiles;
        for (DWORD i = 0; fileMaterials && i < materialCount; ++i) {
            materials[i] = withAmbientFromDiffuse(fileMaterials[i].MatD3D);
            const char* textureName = fileMaterials[i].pTextureFilename;
            if (!textureName || !*textureName)
                continue;

            // Texture names are relative to the .x file's own directory.
            const std::string texturePath = prefix + textureName;
            if (FAILED(textureFiles.share(texturePath, textures[i])))
                showMessage(texturePath.c_str(), kMissingTextureCaption);
            // Every textured material holds the detail texture; a missing one isn't reported.
            textureFiles.share(kDetailTextureFile, detailTextures[i]);
        }
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
