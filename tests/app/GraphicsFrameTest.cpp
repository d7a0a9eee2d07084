// The order of one frame's device calls, and the scene light that the frame sends.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/Graphics.h"
#include "console/Engine.h"
#include "tests/app/GraphicsFixture.h"
#include "tests/fakes/FakePlatform.h"

namespace {

D3DLIGHT9 lightPointingDown()
{
    D3DLIGHT9 light = {};
    light.Direction = {0.0f, -1.0f, 0.0f};
    return light;
}

D3DLIGHT9 defaultLightPointingDown()
{
    D3DLIGHT9 light = lightPointingDown();
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Ambient = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Range = 10000.0f;
    return light;
}

std::string describe(const D3DLIGHT9& light)
{
    std::ostringstream text;
    auto color = [&](const char* name, const D3DCOLORVALUE& c) {
        text << ' ' << name << ' ' << c.r << ' ' << c.g << ' ' << c.b << ' ' << c.a;
    };
    auto vector = [&](const char* name, const D3DVECTOR& v) {
        text << ' ' << name << ' ' << v.x << ' ' << v.y << ' ' << v.z;
    };
    text << "type " << light.Type;
    color("diffuse", light.Diffuse);
    color("specular", light.Specular);
    color("ambient", light.Ambient);
    vector("position", light.Position);
    vector("direction", light.Direction);
    text << " range " << light.Range << " falloff " << light.Falloff << " attenuation "
         << light.Attenuation0 << ' ' << light.Attenuation1 << ' ' << light.Attenuation2
         << " theta " << light.Theta << " phi " << light.Phi;
    return text.str();
}

// Every field, padding-free as the record is; described in full when they differ.
testing::AssertionResult sameLight(const D3DLIGHT9& actual, const D3DLIGHT9& expected)
{
    if (std::memcmp(&actual, &expected, sizeof actual) == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "\n  actual:   " << describe(actual)
                                       << "\n  expected: " << describe(expected);
}

// A device with a font and one drawn model, the log cleared, as after a successful start-up.
class FrameTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        g_device = &fakes.device();
        g_engine->createFont();
        ASSERT_TRUE(g_engine->registry.loadByName("m.x"));
        callLog().clear();
        fakes.device().transformHistory.clear();
    }

    // The log with what the model and HUD drawing pass to the device shortened to the call's
    // name; their details are tested with the scene and the HUD. The HUD's clock is left out.
    static std::vector<std::string> outline()
    {
        std::vector<std::string> calls;
        for (const std::string& call : callLog().calls()) {
            if (call == "timeGetTime()")
                continue;
            std::string name = call.substr(0, call.find('('));
            bool detail = name == "SetTextureStageState" || name == "SetMaterial" ||
                          name == "SetTexture" || name == "DrawTextA";
            calls.push_back(detail ? name : call);
        }
        return calls;
    }
};

TEST_F(FrameTest, ClearsBeginsSetsCameraLightWorldDrawsModelsAndHudEndsAndPresents)
{
    RenderFrame();

    std::vector<std::string> expected = {
        "Clear(0, null, 3, 0xFF64C8FF, 1, 0)",
        "BeginScene()",
        "SetTransform(2)",
        "SetTransform(3)",
        "SetLight(0, type 3, diffuse 1 1 1 0, ambient 1 1 1 0, direction 0 -1 0, range 10000)",
        "LightEnable(0, 1)",
        "SetTransform(256)",
        // The model at its one instance
        "SetTransform(256)",
        "SetTextureStageState", "SetTextureStageState", "SetTextureStageState",
        "SetTextureStageState", "SetTextureStageState", "SetTextureStageState",
        "SetMaterial", "SetTexture", "SetTexture",
        "DrawSubset(mesh:m.x:clone, 0)",
    };
    // The frame-rate read-out and the ten console lines
    expected.insert(expected.end(), 11, "DrawTextA");
    expected.insert(expected.end(), {"EndScene()", "Present(null, null, null, null)"});
    EXPECT_EQ(outline(), expected);
}

TEST_F(FrameTest, WorldIsTheIdentityWhenTheModelsStart)
{
    // Off the origin, so that the model's own world matrix isn't the identity as well.
    g_engine->registry.models.at("m.x").instances.at(kDefaultInstanceName).position =
        Vec3(5, 0, 0);

    RenderFrame();

    const auto& history = fakes.device().transformHistory;
    ASSERT_GE(history.size(), 3u);
    EXPECT_EQ(history[2].first, D3DTS_WORLD);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(std::memcmp(&history[2].second, &identity, sizeof identity), 0);
}

TEST_F(FrameTest, FailedBeginSceneOnlyClearsAndPresents)
{
    fakes.device().beginSceneResult = D3DERR_INVALIDCALL;

    RenderFrame();

    EXPECT_EQ(callLog().calls(), (std::vector<std::string>{
                                     "Clear(0, null, 3, 0xFF64C8FF, 1, 0)",
                                     "BeginScene()",
                                     "Present(null, null, null, null)",
                                 }));
}

TEST_F(FrameTest, NextFrameAfterAFailedBeginSceneDrawsAgain)
{
    fakes.device().beginSceneResult = D3DERR_INVALIDCALL;
    RenderFrame();
    fakes.device().beginSceneResult = D3D_OK;
    callLog().clear();

    RenderFrame();

    EXPECT_EQ(callLog().named("DrawSubset").size(), 1u);
    EXPECT_EQ(callLog().named("EndScene").size(), 1u);
}

// What the first frame sends as light 0, by what was loaded before it.
struct LightCase {
    const char* name;
    std::vector<std::string> loaded;   // model files, "missing.x" can't be read
    D3DLIGHT9 expected;
};

void PrintTo(const LightCase& c, std::ostream* os) { *os << c.name; }

class SceneLight : public GraphicsTest, public testing::WithParamInterface<LightCase> {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        g_device = &fakes.device();
        fakes.missingFiles.insert("missing.x");
    }
};

TEST_P(SceneLight, FrameSendsTheLightWithTheDirectionStraightDown)
{
    for (const std::string& file : GetParam().loaded)
        g_engine->registry.loadByName(file);

    RenderFrame();

    ASSERT_TRUE(fakes.device().lights.contains(0));
    EXPECT_TRUE(sameLight(fakes.device().lights[0], GetParam().expected));
    EXPECT_EQ(callLog().named("LightEnable"), std::vector<std::string>{"LightEnable(0, 1)"});
}

INSTANTIATE_TEST_SUITE_P(
    ByLoad, SceneLight,
    testing::Values(LightCase{"NothingLoadedIsZeroBesidesTheDirection", {}, lightPointingDown()},
                    LightCase{"UnreadableFileLeavesItZero", {"missing.x"}, lightPointingDown()},
                    LightCase{"LoadedModelGivesTheDefaults", {"m.x"}, defaultLightPointingDown()},
                    LightCase{"FailedLoadAfterAGoodOneKeepsTheDefaults",
                              {"m.x", "missing.x"},
                              defaultLightPointingDown()}),
    [](const testing::TestParamInfo<LightCase>& info) { return info.param.name; });

TEST_F(GraphicsTest, ResetClearsAnyEarlierLightToTheDefaults)
{
    g_sceneLight.Type = D3DLIGHT_SPOT;
    g_sceneLight.Specular = {0.5f, 0.5f, 0.5f, 0.5f};
    g_sceneLight.Position = {1.0f, 2.0f, 3.0f};
    g_sceneLight.Direction = {0.0f, -1.0f, 0.0f};
    g_sceneLight.Attenuation1 = 0.25f;
    g_sceneLight.Phi = 1.0f;

    ResetSceneLight();

    D3DLIGHT9 expected = defaultLightPointingDown();
    expected.Direction = {};
    EXPECT_TRUE(sameLight(g_sceneLight, expected));
}

} // namespace
