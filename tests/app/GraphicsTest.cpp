// The graphics start-up, the scene light and the order of one frame's device calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/Graphics.h"
#include "camera/CameraRig.h"
#include "console/Engine.h"
#include "tests/app/SharedStateGuard.h"
#include "tests/fakes/FakePlatform.h"

namespace {

const std::string kCreateDevice =
    "CreateDevice(0, 1, window, 64, BackBufferFormat 22, SwapEffect 1, Windowed 1, "
    "EnableAutoDepthStencil 1, AutoDepthStencilFormat 77)";

// What InitGraphics asks for up to the start-up scene, which loads after these.
const std::vector<std::string> kStartUpCalls = {
    "direct3DCreate9(32)",
    "GetAdapterDisplayMode(0, ptr)",
    kCreateDevice,
    "createFont(device, 15, 0, 400, 0, 0, 1, 0, 0, 0, Arial, ptr)",
    "SetRenderState(137, 1)",
    "SetRenderState(139, 2434341)",   // ambient 0x00252525
    "SetRenderState(7, 1)",
    "SetSamplerState(0, 6, 2)", "SetSamplerState(0, 5, 2)", "SetSamplerState(0, 7, 2)",
    "SetSamplerState(1, 6, 2)", "SetSamplerState(1, 5, 2)", "SetSamplerState(1, 7, 2)",
    "readFile(objektumok\\haz\\map02.x)",
    "loadMeshFromXInMemory(objektumok\\haz\\map02.x, 544, device, null, ptr, null, ptr, ptr)",
};

std::vector<std::string> firstCalls(size_t count)
{
    const std::vector<std::string>& calls = callLog().calls();
    return {calls.begin(), calls.begin() + std::min(count, calls.size())};
}

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

testing::AssertionResult sameParameters(const D3DPRESENT_PARAMETERS& actual,
                                        const D3DPRESENT_PARAMETERS& expected)
{
    if (std::memcmp(&actual, &expected, sizeof actual) == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "back buffer " << actual.BackBufferWidth << "x" << actual.BackBufferHeight << " x"
           << actual.BackBufferCount << " format " << actual.BackBufferFormat << ", expected "
           << expected.BackBufferWidth << "x" << expected.BackBufferHeight << " x"
           << expected.BackBufferCount << " format " << expected.BackBufferFormat;
}

// The fakes bound, and the shared objects that start-up and frames change put back afterwards.
class GraphicsTest : public testing::Test {
protected:
    SharedStateGuard sharedState;
    FakePlatform fakes;
};

// A step that fails, and the calls made up to and including it.
struct FailedStartUp {
    const char* name;
    std::function<void(FakePlatform&)> fail;
    size_t callsMade;
};

void PrintTo(const FailedStartUp& c, std::ostream* os) { *os << c.name; }

class GraphicsStartUpFailure : public GraphicsTest,
                               public testing::WithParamInterface<FailedStartUp> {};

TEST_P(GraphicsStartUpFailure, ReturnsEFailAndStopsAtTheFailedStep)
{
    GetParam().fail(fakes);

    EXPECT_EQ(InitGraphics(fakes.window), E_FAIL);

    EXPECT_EQ(callLog().calls(), std::vector<std::string>(kStartUpCalls.begin(),
                                                          kStartUpCalls.begin() +
                                                              GetParam().callsMade));
    // What was created is left for the shut-down to release.
    EXPECT_EQ(fakes.fakeDirect3D.releaseCount, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachFatalStep, GraphicsStartUpFailure,
    testing::Values(
        FailedStartUp{"NoDirect3D", [](FakePlatform& fakes) { fakes.direct3D = nullptr; }, 1},
        FailedStartUp{"NoDisplayMode",
                      [](FakePlatform& fakes) {
                          fakes.fakeDirect3D.displayModeResult = D3DERR_NOTAVAILABLE;
                      },
                      2},
        FailedStartUp{"NoDevice",
                      [](FakePlatform& fakes) {
                          fakes.fakeDirect3D.createDeviceResult = D3DERR_NOTAVAILABLE;
                      },
                      3}),
    [](const testing::TestParamInfo<FailedStartUp>& info) { return info.param.name; });

TEST_F(GraphicsTest, StartUpCreatesDeviceFontStatesThenLoadsTheStartUpScene)
{
    EXPECT_EQ(InitGraphics(fakes.window), S_OK);

    EXPECT_EQ(firstCalls(kStartUpCalls.size()), kStartUpCalls);
    EXPECT_EQ(g_direct3d, &fakes.fakeDirect3D);
    EXPECT_EQ(g_device, &fakes.device());
    EXPECT_TRUE(g_engine->registry.models.contains(kStartupSceneFile));
}

TEST_F(GraphicsTest, DeviceIsWindowedWithTheDisplayFormatAndAutoDepthAndNothingElse)
{
    fakes.fakeDirect3D.displayMode.Format = D3DFMT_R5G6B5;

    ASSERT_EQ(InitGraphics(fakes.window), S_OK);

    D3DPRESENT_PARAMETERS expected = {};
    expected.BackBufferFormat = D3DFMT_R5G6B5;
    expected.SwapEffect = D3DSWAPEFFECT_DISCARD;
    expected.Windowed = TRUE;
    expected.EnableAutoDepthStencil = TRUE;
    expected.AutoDepthStencilFormat = D3DFMT_D24X8;
    const D3DPRESENT_PARAMETERS& sent = fakes.fakeDirect3D.presentParameters;
    EXPECT_EQ(std::memcmp(&sent, &expected, sizeof expected), 0)
        << "format " << sent.BackBufferFormat << ", window " << sent.hDeviceWindow
        << ", interval " << sent.PresentationInterval << ", flags " << sent.Flags;
    EXPECT_EQ(fakes.fakeDirect3D.behaviorFlags,
              static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING));
}

// Failures after the device exists cost a feature, not the start-up.
struct NonFatalFailure {
    const char* name;
    std::function<void(FakePlatform&)> fail;
};

void PrintTo(const NonFatalFailure& c, std::ostream* os) { *os << c.name; }

class GraphicsStartUpGoesOn : public GraphicsTest,
                              public testing::WithParamInterface<NonFatalFailure> {};

TEST_P(GraphicsStartUpGoesOn, WhenALaterStepFails)
{
    GetParam().fail(fakes);

    EXPECT_EQ(InitGraphics(fakes.window), S_OK);

    EXPECT_EQ(firstCalls(kStartUpCalls.size()), kStartUpCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, GraphicsStartUpGoesOn,
    testing::Values(
        NonFatalFailure{"FontCreation", [](FakePlatform& fakes) { fakes.fontResult = E_FAIL; }},
        NonFatalFailure{"StartUpSceneMissing",
                        [](FakePlatform& fakes) {
                            fakes.refusedFiles.insert(kStartupSceneFile);
                        }}),
    [](const testing::TestParamInfo<NonFatalFailure>& info) { return info.param.name; });

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

// A started device with its font and the start-up scene, which Present has just reported lost.
class LostDevice : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        ASSERT_EQ(InitGraphics(fakes.window), S_OK);
        device.presentResult = D3DERR_DEVICELOST;
        RenderFrame();
        device.presentResult = D3D_OK;
        callLog().clear();
    }

    // A test that leaves the device lost would leave it so for the next one.
    void TearDown() override
    {
        device.cooperativeLevel = D3D_OK;
        device.resetResults.clear();
        RenderFrame();
    }

    FakeDevice& device = fakes.device();
};

const std::vector<std::string> kWaitForTheDevice = {"TestCooperativeLevel()", "sleep(50)"};
const std::vector<std::string> kResetAndRestore = {
    "OnLostDevice(font:Arial)",
    "GetAdapterDisplayMode(0, ptr)",
    "Reset(ptr)",
    "OnResetDevice(font:Arial)",
    "SetRenderState(137, 1)",
    "SetRenderState(139, 2434341)",
    "SetRenderState(7, 1)",
    "SetSamplerState(0, 6, 2)", "SetSamplerState(0, 5, 2)", "SetSamplerState(0, 7, 2)",
    "SetSamplerState(1, 6, 2)", "SetSamplerState(1, 5, 2)", "SetSamplerState(1, 7, 2)",
};

TEST_F(LostDevice, DrawsNothingAndWaitsEachTurnWhileItStaysLost)
{
    device.cooperativeLevel = D3DERR_DEVICELOST;

    RenderFrame();
    RenderFrame();

    std::vector<std::string> expected = kWaitForTheDevice;
    expected.insert(expected.end(), kWaitForTheDevice.begin(), kWaitForTheDevice.end());
    EXPECT_EQ(callLog().calls(), expected);
}

TEST_F(LostDevice, IsResetWithItsParametersThenGetsItsFontAndStatesBackAndDrawsAgain)
{
    device.cooperativeLevel = D3DERR_DEVICELOST;
    RenderFrame();
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    callLog().clear();

    RenderFrame();

    std::vector<std::string> expected = {"TestCooperativeLevel()"};
    expected.insert(expected.end(), kResetAndRestore.begin(), kResetAndRestore.end());
    expected.push_back("Clear(0, null, 3, 0xFF64C8FF, 1, 0)");
    EXPECT_EQ(firstCalls(expected.size()), expected);
    EXPECT_EQ(callLog().calls().back(), "Present(null, null, null, null)");
    ASSERT_EQ(device.resetParameters.size(), 1u);
    EXPECT_TRUE(sameParameters(device.resetParameters[0], fakes.fakeDirect3D.presentParameters));

    // Back to the frame of a device that was never lost.
    callLog().clear();
    RenderFrame();
    EXPECT_EQ(callLog().calls().front(), "Clear(0, null, 3, 0xFF64C8FF, 1, 0)");
}

TEST_F(LostDevice, AFailedResetIsTriedAgainOnALaterTurn)
{
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    device.resetResults = {D3DERR_DRIVERINTERNALERROR};

    RenderFrame();
    EXPECT_EQ(callLog().calls(), (std::vector<std::string>{
                                     "TestCooperativeLevel()", "OnLostDevice(font:Arial)",
                                     "GetAdapterDisplayMode(0, ptr)", "Reset(ptr)", "sleep(50)"}));
    callLog().clear();
    RenderFrame();

    EXPECT_EQ(callLog().named("Reset"), std::vector<std::string>{"Reset(ptr)"});
    EXPECT_EQ(callLog().named("OnResetDevice").size(), 1u);
    EXPECT_EQ(callLog().named("Present").size(), 1u);
}

// Direct3D writes its defaults (the back buffer's size and count) into the parameters it is
// given; a reset that passed those on would no longer follow the window.
TEST_F(LostDevice, EveryResetAsksForThePresentParametersOfStartUpNotTheFilledInOnes)
{
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    device.resetResults = {D3DERR_DRIVERINTERNALERROR};
    RenderFrame();
    RenderFrame();
    device.presentResult = D3DERR_DEVICELOST;
    RenderFrame();
    device.presentResult = D3D_OK;

    RenderFrame();

    const D3DPRESENT_PARAMETERS& startUp = fakes.fakeDirect3D.presentParameters;
    ASSERT_EQ(startUp.BackBufferWidth, 0u);
    ASSERT_EQ(device.resetParameters.size(), 3u);
    for (const D3DPRESENT_PARAMETERS& sent : device.resetParameters)
        EXPECT_TRUE(sameParameters(sent, startUp));
}

TEST_F(LostDevice, IsResetInTheFormatOfTheDisplayModeOfTheTime)
{
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    fakes.fakeDirect3D.displayMode.Format = D3DFMT_R5G6B5;

    RenderFrame();

    ASSERT_EQ(device.resetParameters.size(), 1u);
    EXPECT_EQ(device.resetParameters[0].BackBufferFormat, D3DFMT_R5G6B5);
}

TEST_F(LostDevice, WhoseDisplayModeCannotBeReadIsResetInTheLastFormatRead)
{
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    fakes.fakeDirect3D.displayMode.Format = D3DFMT_R5G6B5;
    device.resetResults = {D3DERR_DRIVERINTERNALERROR};
    RenderFrame();
    fakes.fakeDirect3D.displayModeResult = D3DERR_NOTAVAILABLE;

    RenderFrame();

    ASSERT_EQ(device.resetParameters.size(), 2u);
    EXPECT_EQ(device.resetParameters[1].BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(callLog().named("Present").size(), 1u);
}

TEST_F(LostDevice, ThatComesBackByItselfNeedsNoReset)
{
    device.cooperativeLevel = D3D_OK;

    RenderFrame();

    EXPECT_EQ(callLog().calls().front(), "TestCooperativeLevel()");
    EXPECT_TRUE(callLog().named("Reset").empty());
    EXPECT_EQ(callLog().named("DrawSubset").size(), 1u);
}

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
