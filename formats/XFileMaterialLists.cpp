// The material lists that give one face index for a mesh of several faces, found by following
// a body's objects and numbers.
#include "formats/XFileAdjusting.h"

ShortMaterialLists::ShortMaterialLists(size_t bodyBytes) : bodyBytes(bodyBytes) {}

void ShortMaterialLists::objectOpened(std::string_view templateName)
{
    const std::string name = Lowered(templateName);
    open.push_back({name == "mesh", name == "meshmateriallist", 0, 0, std::nullopt, false});
}

void ShortMaterialLists::objectClosed()
{
    if (!open.empty())
        open.pop_back();
}

ShortMaterialLists::Number ShortMaterialLists::next(uint32_t value)
{
    if (open.empty())
        return Number::Other;
    Object& object = open.back();
    const uint64_t index = object.numbersSeen++;
    if (object.mesh) {
        if (index == 0)
            object.vertexCount = value;
        else if (index == 1 + 3 * object.vertexCount && value <= bodyBytes)   // each face takes bytes
            object.faceCount = value;
        return Number::Other;
    }
    if (!object.materialList || open.size() < 2 || !open[open.size() - 2].faceCount)
        return Number::Other;
    if (index == 1 && value == 1 && faceCount() > 1) {
        object.shortList = true;
        return Number::IndexCount;
    }
    return index == 2 && object.shortList ? Number::Index : Number::Other;
}

uint32_t ShortMaterialLists::faceCount() const
{
    return open.size() < 2 ? 0 : open[open.size() - 2].faceCount.value_or(0);
}
