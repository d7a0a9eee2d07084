// Every model the viewer was asked to load, keyed by its name, which is also its .x path.
#pragma once

#include <map>
#include <string>

#include "scene/Model.h"

class ModelRegistry {
public:
    // Loads, or reloads in place, the model of that name; false when its .x file could not be
    // read. The entry stays either way.
    bool loadByName(std::string name);

    // Draws every model, in byte order of the names.
    void drawAll();

    std::map<std::string, Model> models;
};
