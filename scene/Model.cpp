// Model records: construction with the default instance, placements, and single ownership.
#include "scene/Model.h"

#include <utility>

Model::Model(std::string fileName) : fileName(std::move(fileName))
{
    addInstance(Vec3(0, 0, 0), Vec3(0, 0, 0), kDefaultInstanceName);
}

// The moved-from model is left fresh: a stale count over emptied arrays would be drawn from.
Model::Model(Model&& other) noexcept
    : materials(std::move(other.materials)),
      textures(std::move(other.textures)),
      detailTextures(std::move(other.detailTextures)),
      materialCount(std::exchange(other.materialCount, 0)),
      mesh(std::move(other.mesh)),
      fileName(std::move(other.fileName)),
      instances(std::move(other.instances))
{
}

Model& Model::operator=(Model&& other) noexcept
{
    if (this != &other) {
        // What this model held goes first, in the fixed release order, before anything arrives.
        releaseResources();
        materials = std::move(other.materials);
        textures = std::move(other.textures);
        detailTextures = std::move(other.detailTextures);
        materialCount = std::exchange(other.materialCount, 0);
        mesh = std::move(other.mesh);
        fileName = std::move(other.fileName);
        instances = std::move(other.instances);
    }
    return *this;
}

Model::~Model()
{
    releaseResources();
}

void Model::addInstance(const Vec3& position, const Vec3& rotation, const std::string& name)
{
    ModelInstance& instance = instances[name];
    instance.position = position;
    instance.rotation = rotation;
}

void Model::releaseResources()
{
    for (size_t i = 0; i < textures.size(); ++i) {
        textures[i].reset();
        detailTextures[i].reset();
    }
    mesh.reset();
    // Exchanging with empty vectors frees the storage; clear() would keep it.
    std::exchange(materials, {});
    std::exchange(textures, {});
    std::exchange(detailTextures, {});
    materialCount = 0;
}
