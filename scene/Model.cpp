#include "scene/Model.h"
Model::Model(std::string fileName) : fileName(std::move(fileName)) {}
Model::Model(Model&&) noexcept = default;
Model& Model::operator=(Model&&) noexcept = default;
Model::~Model() {}
void Model::addInstance(const Vec3&, const Vec3&, const std::string&) {}
HRESULT Model::load() { return S_OK; }
void Model::scaleDetailCoordinates() {}
void Model::draw() {}
void Model::releaseResources() {}
