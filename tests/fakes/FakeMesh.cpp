// The D3DX mesh side of a .x load: the mesh, its vertex buffer and the material buffer.
#include "tests/fakes/FakeMesh.h"

STDMETHODIMP FakeVertexBuffer::Lock(UINT offset, UINT size, void** bytes, DWORD flags)
{
    record(__func__, offset, size, bytes, flags);
    *bytes = SUCCEEDED(lockResult) ? data.data() + offset : nullptr;
    return lockResult;
}

STDMETHODIMP FakeVertexBuffer::Unlock()
{
    record(__func__);
    return D3D_OK;
}

FakeBuffer::FakeBuffer(const std::string& name, const std::vector<FakeMaterial>& materials)
    : FakeComObject("materials:" + name, false)
{
    for (const FakeMaterial& material : materials)
        textureFiles.push_back(material.textureFile);
    for (size_t i = 0; i < materials.size(); ++i) {
        char* textureFile = textureFiles[i] ? textureFiles[i]->data() : nullptr;
        records.push_back({materials[i].material, textureFile});
    }
}

STDMETHODIMP_(void*) FakeBuffer::GetBufferPointer()
{
    record(__func__);
    return records.data();
}

STDMETHODIMP_(DWORD) FakeBuffer::GetBufferSize()
{
    record(__func__);
    return static_cast<DWORD>(records.size() * sizeof(D3DXMATERIAL));
}

FakeMesh::FakeMesh(std::string name)
    : FakeComObject("mesh:" + name, false), name(std::move(name)), vertexBuffer(this->name)
{
}

STDMETHODIMP FakeMesh::DrawSubset(DWORD subset)
{
    record(__func__, subset);
    return D3D_OK;
}

STDMETHODIMP_(DWORD) FakeMesh::GetNumVertices()
{
    record(__func__);
    return vertexCount;
}

STDMETHODIMP FakeMesh::CloneMeshFVF(DWORD options, DWORD format, IDirect3DDevice9* device,
                                    ID3DXMesh** clone)
{
    record(__func__, options, format, device, clone);
    if (FAILED(cloneResult)) {
        *clone = nullptr;
        return cloneResult;
    }
    auto made = std::make_unique<FakeMesh>(name + ":clone");
    made->vertexCount = vertexCount;
    made->vertexBuffer.data = vertexBuffer.data;
    made->vertexBuffer.lockResult = vertexBuffer.lockResult;
    made->cloneResult = cloneResult;
    *clone = made.get();
    clones.push_back(std::move(made));
    return D3D_OK;
}

// The mesh keeps its own reference, as D3DX's does: the caller's is an extra one.
STDMETHODIMP FakeMesh::GetVertexBuffer(IDirect3DVertexBuffer9** buffer)
{
    record(__func__, buffer);
    vertexBuffer.addReference();
    *buffer = &vertexBuffer;
    return D3D_OK;
}
