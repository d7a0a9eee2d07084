// The viewer's run: start-up in order, shut-down, the exit handler and the start-ups that fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Graphics.h"
#include "app/Input.h"
#include "app/Shell.h"
#include "console/Engine.h"
#include "tests/app/ShellFixture.h"
#include "tests/fakes/FakePlatform.h"

namespace {

const std::string kGraphicsFailedBox =
    "messageBox(null, Nem siker\xFClt inicializ\xE1lni a d3d-t!, Hiba, 0)";   // sikerült, inicializálni
const std::string kInputFailedBox =
    "messageBox(null, Nem siker\xFClt inicializ\xE1lni a Direct Input-ot!, Hiba!!, 0)";

const std::string kRegisterClass =   // cbSize: WNDCLASSEXA is 80 bytes on x64
    "registerClass(80, 512, MainWindowProc, 0, 0, module, null, null, null, null, Pelgrav_engin, "
    "null)";
const std::string kCreateWindow =
    "createWindow(0, Pelgrav_engin, Pelgrav D3D ablaka!!, 8388608, 100, 100, 640, 480, desktop, "
    "null, module, null)";
const std::string kCreateDevice =
    "CreateDevice(0, 1, window, 64, BackBufferFormat 22, SwapEffect 1, Windowed 1, "
    "EnableAutoDepthStencil 1, AutoDepthStencilFormat 77)";
const std::string kLoadStartUpScene =
    "loadMeshFromXInMemory(objektumok\\haz\\map02.x, 544, device, null, ptr, null, ptr, ptr)";
const std::string kCreateDirectInput =
    "directInput8Create(module, 2048, IID_IDirectInput8A, ptr, null)";
const std::string kCreateKeyboard = "CreateDevice(GUID_SysKeyboard, ptr, null)";
const std::string kCreateMouse = "CreateDevice(GUID_SysMouse, ptr, null)";
const std::string kShowWindow = "showWindow(window, 10)";
const std::string kUnregisterClass = "unregisterClass(Pelgrav_engin, module)";

TEST_F(RunViewerTest, StartsUpInOrderAndShutsDownWhenTheQuitComes)
{
    EXPECT_EQ(RunViewer(), 0);

    EXPECT_EQ(runCalls(),
              joined({{"showCursor(0)", kRegisterClass, kCreateWindow, "direct3DCreate9(32)",
                       "GetAdapterDisplayMode(0, ptr)", kCreateDevice, kLoadStartUpScene,
                       kShowWindow, kCreateDirectInput, kCreateKeyboard, kCreateMouse,
                       kShowWindow, "updateWindow(window)"},
                      kTakeQuit, kReleaseAll, {kUnregisterClass, "showCursor(1)"}}));
    EXPECT_EQ(fakes.cursorCount, 0);
}

TEST_F(RunViewerTest, RegistersTheClassWithItsFieldsAndCreatesTheWindow)
{
    RunViewer();

    EXPECT_EQ(callLog().named("registerClass"), std::vector<std::string>{kRegisterClass});
    EXPECT_EQ(callLog().named("createWindow"), std::vector<std::string>{kCreateWindow});
    EXPECT_EQ(fakes.windowClass.cbSize, sizeof(WNDCLASSEXA));
    EXPECT_EQ(fakes.windowClass.lpfnWndProc, &MainWindowProc);
}

TEST_F(RunViewerTest, ShutDownReleasesEachSharedInterfaceOnceAndLetsGoOfIt)
{
    RunViewer();

    EXPECT_EQ(fakes.device().releaseCount, 1);
    EXPECT_EQ(fakes.fakeDirect3D.releaseCount, 1);
    EXPECT_EQ(fakes.fakeDirectInput.releaseCount, 1);
    EXPECT_EQ(fakes.fakeDirectInput.keyboard.releaseCount, 1);
    EXPECT_EQ(fakes.fakeDirectInput.mouse.releaseCount, 1);
    EXPECT_EQ(g_device, nullptr);
    EXPECT_EQ(g_direct3d, nullptr);
    EXPECT_EQ(g_directInput, nullptr);
    EXPECT_EQ(g_keyboard, nullptr);
    EXPECT_EQ(g_mouse, nullptr);
}

TEST_F(RunViewerTest, ShutDownLetsGoOfTheFontAndModelsBeforeTheDevice)
{
    RunViewer();

    const std::vector<std::string>& calls = callLog().calls();
    const auto at = [&](const std::string& call) {
        return std::find(calls.begin(), calls.end(), call) - calls.begin();
    };
    const auto device = at("Release(device)");
    EXPECT_LT(at("Release(font:Arial)"), device);
    EXPECT_LT(at("Release(mesh:objektumok\\haz\\map02.x:clone)"), device);
    EXPECT_EQ(g_engine->font, nullptr);
    EXPECT_TRUE(g_engine->registry.models.empty());
}

// The exit handler that #exit runs: it may also find everything released already, after a
// normal shut-down.
TEST_F(RunViewerTest, ExitHandlerReleasesEachObjectOnceTheDeviceAfterItsDependants)
{
    ASSERT_TRUE(StartUp(fakes.module, fakes.window));
    callLog().clear();

    ReleaseEverything();
    ReleaseEverything();

    EXPECT_EQ(callLog().named("Release"),
              joined({{"Release(font:Arial)", "Release(mesh:objektumok\\haz\\map02.x:clone)"},
                      kReleaseAll}));
    EXPECT_EQ(g_engine->font, nullptr);
    EXPECT_TRUE(g_engine->registry.models.empty());
}

// A graphics start-up that fails at one step, the calls it made and what there is to release.
struct FailedGraphics {
    const char* name;
    std::function<void(FakePlatform&)> fail;
    std::vector<std::string> startUp;
    std::vector<std::string> released;
};

void PrintTo(const FailedGraphics& c, std::ostream* os) { *os << c.name; }

class RunViewerGraphicsFailure : public RunViewerTest,
                                 public testing::WithParamInterface<FailedGraphics> {};

TEST_P(RunViewerGraphicsFailure, ShowsTheBoxAndShutsDownWithoutWindowOrInput)
{
    GetParam().fail(fakes);

    EXPECT_EQ(RunViewer(), 0);

    EXPECT_EQ(runCalls(), joined({{"showCursor(0)", kRegisterClass, kCreateWindow},
                                  GetParam().startUp,
                                  {kGraphicsFailedBox},
                                  GetParam().released,
                                  {kUnregisterClass, "showCursor(1)"}}));
    EXPECT_EQ(fakes.cursorCount, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EachFatalStep, RunViewerGraphicsFailure,
    testing::Values(
        FailedGraphics{"NoDirect3D", [](FakePlatform& f) { f.direct3D = nullptr; },
                       {"direct3DCreate9(32)"}, {}},
        FailedGraphics{"NoDisplayMode",
                       [](FakePlatform& f) {
                           f.fakeDirect3D.displayModeResult = D3DERR_NOTAVAILABLE;
                       },
                       {"direct3DCreate9(32)", "GetAdapterDisplayMode(0, ptr)"},
                       {"Release(direct3d)"}},
        FailedGraphics{"NoDevice",
                       [](FakePlatform& f) {
                           f.fakeDirect3D.createDeviceResult = D3DERR_OUTOFVIDEOMEMORY;
                       },
                       {"direct3DCreate9(32)", "GetAdapterDisplayMode(0, ptr)", kCreateDevice},
                       {"Release(direct3d)"}}),
    [](const testing::TestParamInfo<FailedGraphics>& info) { return info.param.name; });

// An input start-up that fails at one step, the calls it made and what there is to release.
struct FailedInput {
    const char* name;
    std::function<void(FakePlatform&)> fail;
    std::vector<std::string> startUp;
    std::vector<std::string> released;
};

void PrintTo(const FailedInput& c, std::ostream* os) { *os << c.name; }

class RunViewerInputFailure : public RunViewerTest,
                              public testing::WithParamInterface<FailedInput> {};

TEST_P(RunViewerInputFailure, ShowsTheBoxOverTheShownWindowAndShutsDown)
{
    GetParam().fail(fakes);

    EXPECT_EQ(RunViewer(), 0);

    EXPECT_EQ(runCalls(),
              joined({{"showCursor(0)", kRegisterClass, kCreateWindow, "direct3DCreate9(32)",
                       "GetAdapterDisplayMode(0, ptr)", kCreateDevice, kLoadStartUpScene,
                       kShowWindow},
                      GetParam().startUp,
                      {kInputFailedBox},
                      GetParam().released,
                      {kUnregisterClass, "showCursor(1)"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RunViewerInputFailure,
    testing::Values(
        FailedInput{"NoDirectInput",
                    [](FakePlatform& f) { f.directInputResult = DIERR_OLDDIRECTINPUTVERSION; },
                    {kCreateDirectInput},
                    {"Release(device)", "Release(direct3d)"}},
        FailedInput{"NoMouse",
                    [](FakePlatform& f) { f.fakeDirectInput.mouseResult = DIERR_DEVICENOTREG; },
                    {kCreateDirectInput, kCreateKeyboard, kCreateMouse},
                    {"Release(device)", "Release(direct3d)", "Release(directinput)",
                     "Release(keyboard)"}},
        FailedInput{"MouseNotAcquired",
                    [](FakePlatform& f) {
                        f.fakeDirectInput.mouse.acquireResults = {DIERR_OTHERAPPHASPRIO};
                    },
                    {kCreateDirectInput, kCreateKeyboard, kCreateMouse},
                    kReleaseAll}),
    [](const testing::TestParamInfo<FailedInput>& info) { return info.param.name; });

TEST_F(RunViewerTest, WithoutAnEngineReturnsAtOnce)
{
    Engine* engine = g_engine;
    g_engine = nullptr;

    int result = RunViewer();

    g_engine = engine;
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(callLog().calls().empty());
}

} // namespace
