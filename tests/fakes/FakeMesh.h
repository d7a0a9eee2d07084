// The D3DX mesh side of a .x load: the mesh, its vertex buffer and the material buffer.
//
// FakePlatform's loadMeshFromX builds these from a MeshFile; a test may also build them alone.
// Vertices are raw bytes: setVertices(std::vector<ModelVertex>{...}) fills them, and
// vertexBuffer.vertices<ModelVertex>() reads back what the code wrote through Lock. CloneMeshFVF
// makes a FakeMesh named "<name>:clone" with a copy of the vertices, vertex count, lockResult
// and cloneResult, kept in clones; a failing cloneResult yields null.
#pragma once

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <d3d9.h>
#include <d3dx9.h>

#include "tests/fakes/FakeComObject.h"

template <typename Vertex>
std::vector<BYTE> vertexBytes(const std::vector<Vertex>& vertices)
{
    std::vector<BYTE> bytes(vertices.size() * sizeof(Vertex));
    if (!bytes.empty())
        std::memcpy(bytes.data(), vertices.data(), bytes.size());
    return bytes;
}

template <typename Vertex>
std::vector<Vertex> verticesFrom(const std::vector<BYTE>& bytes)
{
    std::vector<Vertex> vertices(bytes.size() / sizeof(Vertex));
    if (!vertices.empty())
        std::memcpy(vertices.data(), bytes.data(), vertices.size() * sizeof(Vertex));
    return vertices;
}

// One material of a fake .x file. Without a texture file the record's name pointer is null.
struct FakeMaterial {
    D3DMATERIAL9 material = {{1.0f, 1.0f, 1.0f, 1.0f}, {}, {}, {}, 0.0f};
    std::optional<std::string> textureFile;
};

// Logged as vertices:<mesh name>; Lock(label, offset, size, ptr, flags) points into data.
class FakeVertexBuffer final : public FakeComObject<IDirect3DVertexBuffer9> {
public:
    explicit FakeVertexBuffer(const std::string& name) : FakeComObject("vertices:" + name, false) {}

    std::vector<BYTE> data;
    HRESULT lockResult = D3D_OK;   // a failing Lock hands out null

    template <typename Vertex>
    std::vector<Vertex> vertices() const { return verticesFrom<Vertex>(data); }

    STDMETHODIMP Lock(UINT offset, UINT size, void** bytes, DWORD flags) override;
    STDMETHODIMP Unlock() override;

    STDMETHODIMP GetDevice(IDirect3DDevice9**) override { return unexpected(__func__); }
    STDMETHODIMP SetPrivateData(REFGUID, const void*, DWORD, DWORD) override
        { return unexpected(__func__); }
    STDMETHODIMP GetPrivateData(REFGUID, void*, DWORD*) override { return unexpected(__func__); }
    STDMETHODIMP FreePrivateData(REFGUID) override { return unexpected(__func__); }
    STDMETHODIMP_(DWORD) SetPriority(DWORD) override { unexpected(__func__); return {}; }
    STDMETHODIMP_(DWORD) GetPriority() override { unexpected(__func__); return {}; }
    STDMETHODIMP_(void) PreLoad() override { unexpected(__func__); }
    STDMETHODIMP_(D3DRESOURCETYPE) GetType() override { unexpected(__func__); return {}; }
    STDMETHODIMP GetDesc(D3DVERTEXBUFFER_DESC*) override { return unexpected(__func__); }
};

// Logged as materials:<file>; GetBufferPointer gives the D3DXMATERIAL array, whose texture names
// point into the buffer itself.
class FakeBuffer final : public FakeComObject<ID3DXBuffer> {
public:
    FakeBuffer(const std::string& name, const std::vector<FakeMaterial>& materials);

    STDMETHODIMP_(void*) GetBufferPointer() override;
    STDMETHODIMP_(DWORD) GetBufferSize() override;

private:
    // Filled once by the constructor: the records point into textureFiles.
    std::vector<std::optional<std::string>> textureFiles;
    std::vector<D3DXMATERIAL> records;
};

// Logged as mesh:<name>.
class FakeMesh final : public FakeComObject<ID3DXMesh> {
public:
    explicit FakeMesh(std::string name);

    const std::string name;
    DWORD vertexCount = 0;
    FakeVertexBuffer vertexBuffer;
    HRESULT cloneResult = D3D_OK;
    std::vector<std::unique_ptr<FakeMesh>> clones;

    template <typename Vertex>
    void setVertices(const std::vector<Vertex>& vertices)
    {
        vertexCount = static_cast<DWORD>(vertices.size());
        vertexBuffer.data = vertexBytes(vertices);
    }

    STDMETHODIMP DrawSubset(DWORD subset) override;
    STDMETHODIMP_(DWORD) GetNumVertices() override;
    STDMETHODIMP CloneMeshFVF(DWORD options, DWORD format, IDirect3DDevice9* device,
                              ID3DXMesh** clone) override;
    STDMETHODIMP GetVertexBuffer(IDirect3DVertexBuffer9** buffer) override;

    STDMETHODIMP_(DWORD) GetNumFaces() override { unexpected(__func__); return {}; }
    STDMETHODIMP_(DWORD) GetFVF() override { unexpected(__func__); return {}; }
    STDMETHODIMP GetDeclaration(D3DVERTEXELEMENT9*) override { return unexpected(__func__); }
    STDMETHODIMP_(DWORD) GetNumBytesPerVertex() override { unexpected(__func__); return {}; }
    STDMETHODIMP_(DWORD) GetOptions() override { unexpected(__func__); return {}; }
    STDMETHODIMP GetDevice(IDirect3DDevice9**) override { return unexpected(__func__); }
    STDMETHODIMP CloneMesh(DWORD, const D3DVERTEXELEMENT9*, IDirect3DDevice9*, ID3DXMesh**) override
        { return unexpected(__func__); }
    STDMETHODIMP GetIndexBuffer(IDirect3DIndexBuffer9**) override { return unexpected(__func__); }
    STDMETHODIMP LockVertexBuffer(DWORD, void**) override { return unexpected(__func__); }
    STDMETHODIMP UnlockVertexBuffer() override { return unexpected(__func__); }
    STDMETHODIMP LockIndexBuffer(DWORD, void**) override { return unexpected(__func__); }
    STDMETHODIMP UnlockIndexBuffer() override { return unexpected(__func__); }
    STDMETHODIMP GetAttributeTable(D3DXATTRIBUTERANGE*, DWORD*) override
        { return unexpected(__func__); }
    STDMETHODIMP ConvertPointRepsToAdjacency(const DWORD*, DWORD*) override
        { return unexpected(__func__); }
    STDMETHODIMP ConvertAdjacencyToPointReps(const DWORD*, DWORD*) override
        { return unexpected(__func__); }
    STDMETHODIMP GenerateAdjacency(FLOAT, DWORD*) override { return unexpected(__func__); }
    STDMETHODIMP UpdateSemantics(D3DVERTEXELEMENT9*) override { return unexpected(__func__); }
    STDMETHODIMP LockAttributeBuffer(DWORD, DWORD**) override { return unexpected(__func__); }
    STDMETHODIMP UnlockAttributeBuffer() override { return unexpected(__func__); }
    STDMETHODIMP Optimize(DWORD, const DWORD*, DWORD*, DWORD*, ID3DXBuffer**, ID3DXMesh**) override
        { return unexpected(__func__); }
    STDMETHODIMP OptimizeInplace(DWORD, const DWORD*, DWORD*, DWORD*, ID3DXBuffer**) override
        { return unexpected(__func__); }
    STDMETHODIMP SetAttributeTable(const D3DXATTRIBUTERANGE*, DWORD) override
        { return unexpected(__func__); }
};
