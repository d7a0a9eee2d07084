// The model registry: loading and reloading by name, failed loads, and the drawing order.
#include "tests/scene/SceneFixture.h"

#include <vector>

#include "scene/ModelRegistry.h"

namespace {

const std::string kMissingMeshCaption = cp1250(L"Nem találom az x filet!");

class ModelRegistryLoading : public SceneTest {
protected:
    void expectFresh(const std::string& name)
    {
        const Model& entry = registry.models.at(name);
        EXPECT_EQ(entry.fileName, name);
        EXPECT_EQ(entry.materialCount, 0u);
        EXPECT_TRUE(entry.textures.empty());
        EXPECT_FALSE(entry.mesh);
        EXPECT_EQ(entry.instances.size(), 1u);
    }

    ModelRegistry registry;
};

TEST_F(ModelRegistryLoading, ReloadingReplacesTheEntryAndReleasesEachOldResourceOnce)
{
    fakes.meshFiles["m.x"] = fileWithTexture("wall.bmp");
    ASSERT_TRUE(registry.loadByName("m.x"));
    registry.models.at("m.x").addInstance(Vec3(1, 1, 1), Vec3(), "extra");
    callLog().clear();

    EXPECT_TRUE(registry.loadByName("m.x"));

    ASSERT_EQ(registry.models.size(), 1u);
    const Model& entry = registry.models.at("m.x");
    EXPECT_EQ(entry.instances.size(), 1u);
    EXPECT_EQ(labelOf(entry.mesh.get()), "mesh:m.x#2:clone");
    EXPECT_EQ(callLog().named("Release(texture:wall.bmp)").size(), 1u);
    EXPECT_EQ(callLog().named("Release(texture:objektumok\\haz\\Detail.bmp)").size(), 1u);
    EXPECT_EQ(callLog().named("Release(mesh:m.x:clone)").size(), 1u);
    // The old resources go before the file is read again.
    EXPECT_TRUE(callLog().calls().front().starts_with("Release(texture:wall.bmp)"));
}

TEST_F(ModelRegistryLoading, MissingFileFailsAndLeavesAFreshEntry)
{
    fakes.missingFiles.insert("gone.x");

    EXPECT_FALSE(registry.loadByName("gone.x"));

    EXPECT_EQ(callLog().named("messageBox"),
              std::vector{messageBoxCall("gone.x", kMissingMeshCaption)});
    expectFresh("gone.x");
}

TEST_F(ModelRegistryLoading, FailedReloadLeavesTheEntryFreshWithTheOldModelReleased)
{
    ASSERT_TRUE(registry.loadByName("m.x"));
    fakes.missingFiles.insert("m.x");

    EXPECT_FALSE(registry.loadByName("m.x"));

    expectFresh("m.x");
    EXPECT_EQ(fakes.meshes.at(0)->clones.at(0)->releaseCount, 1);
}

TEST_F(ModelRegistryLoading, EmptyNameFailsAndItsEntryComesFirst)
{
    fakes.missingFiles.insert("");
    ASSERT_TRUE(registry.loadByName("a.x"));

    EXPECT_FALSE(registry.loadByName(""));

    ASSERT_EQ(registry.models.size(), 2u);
    EXPECT_EQ(registry.models.begin()->first, "");
    expectFresh("");
}

TEST_F(ModelRegistryLoading, DrawsEveryModelInByteOrderOfTheNames)
{
    registry.loadByName("a");
    registry.loadByName("B");
    callLog().clear();

    registry.drawAll();

    EXPECT_EQ(callLog().named("DrawSubset"),
              (std::vector<std::string>{"DrawSubset(mesh:B:clone, 0)",
                                        "DrawSubset(mesh:a:clone, 0)"}));
}

} // namespace
