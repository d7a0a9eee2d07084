#include "scene/ModelRegistry.h"
bool ModelRegistry::loadByName(std::string) { return true; }
void ModelRegistry::drawAll() {}
