// The window procedure, and the viewer's run: start-up, message loop and shut-down.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/Graphics.h"
#include "app/Input.h"
#include "app/Shell.h"
#include "camera/CameraRig.h"
#include "console/Engine.h"
#include "tests/app/SharedStateGuard.h"
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

const std::string kPeekWindow = "peekMessage(ptr, window, 0, 0, 1)";
const std::string kPeekThread = "peekMessage(ptr, thread, 0, 0, 1)";
const std::string kPollInput = "GetDeviceState(keyboard, 256, ptr)";
const std::string kFramePresented = "Present(null, null, null, null)";
const std::vector<std::string> kTakeQuit = {kPeekWindow, "translateMessage(null, 18, 0, 0)",
                                            "dispatchMessage(null, 18, 0, 0)"};

// The filter (HWND)-1 of a peek that takes thread messages only, labelled in the log.
const void* const kThreadMessages = reinterpret_cast<const void*>(-1);

const std::vector<std::string> kReleaseAll = {"Release(device)", "Release(direct3d)",
                                              "Release(directinput)", "Release(keyboard)",
                                              "Release(mouse)"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The calls of the run itself: window, start-up steps, messages, shut-down. The loading, state
// and drawing calls in between are tested with graphics and the scene.
std::vector<std::string> runCalls()
{
    static const std::set<std::string> kNames = {
        "showCursor", "registerClass", "createWindow", "direct3DCreate9",
        "GetAdapterDisplayMode", "CreateDevice", "loadMeshFromXInMemory", "showWindow",
        "directInput8Create", "updateWindow", "peekMessage", "translateMessage",
        "dispatchMessage", "defWindowProc", "postQuitMessage", "messageBox", "unregisterClass"};
    static const std::set<std::string> kSharedInterfaces(kReleaseAll.begin(), kReleaseAll.end());
    std::vector<std::string> calls;
    for (const std::string& call : callLog().calls()) {
        if (kNames.contains(call.substr(0, call.find('('))) || kSharedInterfaces.contains(call))
            calls.push_back(call);
    }
    return calls;
}

// The message loop's calls: messages taken and handled, and for each idle turn its keyboard
// read and its presented frame.
std::vector<std::string> loopCalls()
{
    static const std::set<std::string> kNames = {"peekMessage", "translateMessage",
                                                 "dispatchMessage", "defWindowProc",
                                                 "postQuitMessage"};
    std::vector<std::string> calls;
    bool looping = false;
    for (const std::string& call : callLog().calls()) {
        if (call == "updateWindow(window)")
            looping = true;
        else if (call == kReleaseAll.front())
            break;
        else if (looping && (kNames.contains(call.substr(0, call.find('('))) ||
                             call == kPollInput || call == kFramePresented))
            calls.push_back(call);
    }
    return calls;
}

// The shared objects that a run or a message changes are put back afterwards.
class ShellTest : public testing::Test {
protected:
    void SetUp() override { callLog().setLabel(kThreadMessages, "thread"); }
    void TearDown() override { callLog().removeLabel(kThreadMessages); }

private:
    SharedStateGuard sharedState;
};

enum class Devices { None, KeyboardOnly, Both };

struct ProcedureCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool consoleOpen;
    Devices devices;
    bool acquireFails;
    bool defaultResult;   // the result is DefWindowProcA's, else 0
    std::vector<std::string> calls;
    std::string lineZero;   // the console's input line afterwards, ">" before
};

void PrintTo(const ProcedureCase& c, std::ostream* os) { *os << c.name; }

constexpr LRESULT kDefWindowProcResult = 0x5A5A;

class WindowProcedure : public ShellTest, public testing::WithParamInterface<ProcedureCase> {
protected:
    FakePlatform fakes;
};

TEST_P(WindowProcedure, HandlesTheMessage)
{
    const ProcedureCase& c = GetParam();
    fakes.defWindowProcResult = kDefWindowProcResult;
    g_cameraRig.consoleOpen = c.consoleOpen;
    g_engine->lines[0].assign(1, '>');
    if (c.devices != Devices::None)
        g_keyboard = &fakes.fakeDirectInput.keyboard;
    if (c.devices == Devices::Both)
        g_mouse = &fakes.fakeDirectInput.mouse;
    if (c.acquireFails) {
        fakes.fakeDirectInput.keyboard.acquireResults = {DIERR_OTHERAPPHASPRIO};
        fakes.fakeDirectInput.mouse.acquireResults = {DIERR_NOTACQUIRED};
    }

    LRESULT result = MainWindowProc(fakes.window, c.message, c.wParam, c.lParam);

    EXPECT_EQ(result, c.defaultResult ? kDefWindowProcResult : 0);
    EXPECT_EQ(callLog().calls(), c.calls);
    EXPECT_EQ(g_engine->lines[0], c.lineZero);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, WindowProcedure,
    testing::Values(
        ProcedureCase{"CharWithTheConsoleClosedIsSwallowed", WM_CHAR, 'a', 0, false,
                      Devices::Both, false, false, {}, ">"},
        ProcedureCase{"CharWithTheConsoleOpenGrowsLineZero", WM_CHAR, 'a', 0, true,
                      Devices::Both, false, false, {}, ">a"},
        ProcedureCase{"CharTakesTheLowByteOfItsCode", WM_CHAR, 0x1E1, 0, true, Devices::None,
                      false, false, {}, ">\xE1"},
        ProcedureCase{"KeyDownWithTheConsoleOpenGoesToTheDefault", WM_KEYDOWN, 'A', 0, true,
                      Devices::None, false, true, {"defWindowProc(window, 256, 65, 0)"}, ">"},
        ProcedureCase{"ActivateBeforeInputExistsOnlyGoesToTheDefault", WM_ACTIVATE, WA_ACTIVE, 0,
                      false, Devices::None, false, true, {"defWindowProc(window, 6, 1, 0)"},
                      ">"},
        ProcedureCase{"ActivateWithOnlyTheKeyboardAcquiresIt", WM_ACTIVATE, WA_ACTIVE, 0, false,
                      Devices::KeyboardOnly, false, true,
                      {"Acquire(keyboard)", "defWindowProc(window, 6, 1, 0)"}, ">"},
        ProcedureCase{"ActivateAcquiresKeyboardThenMouse", WM_ACTIVATE, WA_CLICKACTIVE, 0, false,
                      Devices::Both, false, true,
                      {"Acquire(keyboard)", "Acquire(mouse)", "defWindowProc(window, 6, 2, 0)"},
                      ">"},
        ProcedureCase{"DeactivateAlsoAcquiresBoth", WM_ACTIVATE, WA_INACTIVE, 0x40, false,
                      Devices::Both, false, true,
                      {"Acquire(keyboard)", "Acquire(mouse)", "defWindowProc(window, 6, 0, 64)"},
                      ">"},
        ProcedureCase{"ActivateIgnoresFailedAcquires", WM_ACTIVATE, WA_ACTIVE, 0, false,
                      Devices::Both, true, true,
                      {"Acquire(keyboard)", "Acquire(mouse)", "defWindowProc(window, 6, 1, 0)"},
                      ">"},
        ProcedureCase{"DestroyPostsQuit", WM_DESTROY, 0, 0, false, Devices::Both, false, false,
                      {"postQuitMessage(0)"}, ">"},
        ProcedureCase{"OtherMessagesGoToTheDefault", WM_CLOSE, 7, 9, false, Devices::Both, false,
                      true, {"defWindowProc(window, 16, 7, 9)"}, ">"}),
    [](const testing::TestParamInfo<ProcedureCase>& info) { return info.param.name; });

// The fakes with a window that can be closed: the default handling of WM_CLOSE destroys it, as
// DestroyWindow does, sending WM_DESTROY first. From then on its handle is invalid, so a peek
// filtered to it fails and takes nothing.
class ClosableWindowPlatform : public FakePlatform {
public:
    LRESULT defWindowProc(HWND target, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = FakePlatform::defWindowProc(target, message, wParam, lParam);
        if (message == WM_CLOSE && !destroyed) {
            windowClass.lpfnWndProc(target, WM_DESTROY, 0, 0);
            destroyed = true;
        }
        return result;
    }

    BOOL peekMessage(MSG* message, HWND filter, UINT first, UINT last, UINT remove) override
    {
        if (!destroyed || filter != window || ++peeksAfterDestruction > kPeekLimit)
            return FakePlatform::peekMessage(message, filter, first, last, remove);
        logCall("peekMessage", message, filter, first, last, remove);
        return FALSE;
    }

    // Beyond this many turns after the window is gone, a loop that can't see the quit message
    // is let out with it, so that the test fails rather than hangs.
    static constexpr int kPeekLimit = 20;
    bool destroyed = false;
    int peeksAfterDestruction = 0;
};

class RunViewerTest : public ShellTest {
protected:
    ClosableWindowPlatform fakes;
    FakeInputDevice& keyboard = fakes.fakeDirectInput.keyboard;
};

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

TEST_F(RunViewerTest, EachTurnTakesOneMessageAndFramesWaitUntilTheyRunOut)
{
    fakes.queueMessage(WM_USER + 1);
    fakes.queueMessage(WM_USER + 2, 3, 4);
    fakes.queueMessage(WM_USER + 3);
    fakes.queueIdleTurns(2);

    RunViewer();

    EXPECT_EQ(loopCalls(),
              joined({{kPeekWindow, "translateMessage(window, 1025, 0, 0)",
                       "dispatchMessage(window, 1025, 0, 0)", "defWindowProc(window, 1025, 0, 0)",
                       kPeekWindow, "translateMessage(window, 1026, 3, 4)",
                       "dispatchMessage(window, 1026, 3, 4)", "defWindowProc(window, 1026, 3, 4)",
                       kPeekWindow, "translateMessage(window, 1027, 0, 0)",
                       "dispatchMessage(window, 1027, 0, 0)", "defWindowProc(window, 1027, 0, 0)",
                       kPeekWindow, kPeekThread, kPollInput, kFramePresented,
                       kPeekWindow, kPeekThread, kPollInput, kFramePresented},
                      kTakeQuit}));
}

TEST_F(RunViewerTest, MessageBetweenIdleTurnsPausesTheFrames)
{
    fakes.queueIdleTurns();
    fakes.queueMessage(WM_USER);
    fakes.queueIdleTurns();

    RunViewer();

    EXPECT_EQ(loopCalls(),
              joined({{kPeekWindow, kPeekThread, kPollInput, kFramePresented,
                       kPeekWindow, "translateMessage(window, 1024, 0, 0)",
                       "dispatchMessage(window, 1024, 0, 0)", "defWindowProc(window, 1024, 0, 0)",
                       kPeekWindow, kPeekThread, kPollInput, kFramePresented},
                      kTakeQuit}));
}

TEST_F(RunViewerTest, EscapeFinishesItsTurnsFrameAndTheNextTurnEndsTheRun)
{
    keyboard.queueKeys({DIK_ESCAPE});
    fakes.queueIdleTurns(5);

    EXPECT_EQ(RunViewer(), 0);

    EXPECT_EQ(loopCalls(),
              joined({{kPeekWindow, kPeekThread, kPollInput, "postQuitMessage(0)",
                       kFramePresented},
                      kTakeQuit}));
    EXPECT_EQ(runCalls().back(), "showCursor(1)");
}

TEST_F(RunViewerTest, ClosedWindowsQuitIsTakenFromTheThreadQueue)
{
    fakes.queueMessage(WM_CLOSE);
    fakes.queueIdleTurns(5);

    EXPECT_EQ(RunViewer(), 0);

    EXPECT_EQ(loopCalls(),
              (std::vector<std::string>{
                  kPeekWindow, "translateMessage(window, 16, 0, 0)",
                  "dispatchMessage(window, 16, 0, 0)", "defWindowProc(window, 16, 0, 0)",
                  "postQuitMessage(0)",
                  kPeekWindow, kPeekThread, "translateMessage(null, 18, 0, 0)",
                  "dispatchMessage(null, 18, 0, 0)"}));
    EXPECT_LE(fakes.peeksAfterDestruction, ClosableWindowPlatform::kPeekLimit)
        << "the loop never looked for the quit outside the window's messages";
    EXPECT_EQ(runCalls().back(), "showCursor(1)");
}

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
