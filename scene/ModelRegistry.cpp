// The name-keyed registry of models: loading or reloading by name, and drawing them all.
#include "scene/ModelRegistry.h"

#include <utility>

bool ModelRegistry::loadByName(std::string name)
{
    Model fresh(name);
    Model& entry = models.try_emplace(std::move(name)).first->second;
    // A reload replaces the entry in place: the move releases the earlier mesh and textures,
    // each once, before the fresh record takes their place with only its "def" instance.
    entry = std::move(fresh);
    return SUCCEEDED(entry.load());
}

void ModelRegistry::drawAll()
{
    for (auto& [name, model] : models)
        model.draw();
}
