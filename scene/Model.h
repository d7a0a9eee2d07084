// A mesh read from a .x file with its materials, base and detail textures, and named placements.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <d3d9.h>
#include <d3dx9.h>

#include "app/ComPtr.h"
#include "camera/Vec3.h"

constexpr char kDefaultModelFile[] = "objektumok\\kocka\\kocka_00.x";
constexpr char kDefaultInstanceName[] = "def";

// One placement of a model: turned about Z, then Y, then X (radians), then moved to position.
struct ModelInstance {
    ModelInstance() = default;
    ModelInstance(const Vec3& position, const Vec3& rotation)
        : position(position), rotation(rotation)
    {
    }

    Vec3 position;
    Vec3 rotation;
    D3DXMATRIX world;   // rebuilt each time the instance is drawn
};

// std::string orders its bytes as unsigned values, so names sort byte-wise.
using InstanceMap = std::map<std::string, ModelInstance>;

// The vertex every loaded mesh is converted to: position, base and detail coordinates.
struct ModelVertex {
    float x, y, z;
    float u, v;
    float detailU, detailV;
};
constexpr DWORD kModelVertexFormat = D3DFVF_XYZ | D3DFVF_TEX2;

// A model owns its textures and mesh alone: it can be moved but not copied.
class Model {
public:
    explicit Model(std::string fileName = kDefaultModelFile);
    Model(Model&& other) noexcept;
    Model& operator=(Model&& other) noexcept;
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;
    ~Model();

    void addInstance(const Vec3& position, const Vec3& rotation, const std::string& name);

    // Reads the mesh, materials and textures of fileName; S_OK, or E_FAIL when the .x file
    // could not be read.
    HRESULT load();
    void scaleDetailCoordinates();

    // Draws the mesh at every instance.
    void draw();

    std::vector<D3DMATERIAL9> materials;
    std::vector<ComPtr<IDirect3DTexture9>> textures;
    std::vector<ComPtr<IDirect3DTexture9>> detailTextures;
    DWORD materialCount = 0;
    ComPtr<ID3DXMesh> mesh;
    std::string fileName;
    InstanceMap instances;

private:
    // Texture and detail texture of each material in turn, then the mesh, then the arrays.
    void releaseResources();
};
