// The graphics start-up: the device, font and states it makes, and the steps that fail.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Graphics.h"
#include "console/Engine.h"
#include "tests/app/GraphicsFixture.h"
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

} // namespace
