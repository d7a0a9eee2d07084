// The window procedure, and the run's message loop: a message a turn, frames when none wait.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/Input.h"
#include "app/Shell.h"
#include "camera/CameraRig.h"
#include "console/Engine.h"
#include "tests/app/ShellFixture.h"
#include "tests/fakes/FakePlatform.h"

namespace {

const std::string kPeekThread = "peekMessage(ptr, thread, 0, 0, 1)";
const std::string kPollInput = "GetDeviceState(keyboard, 256, ptr)";
const std::string kFramePresented = "Present(null, null, null, null)";

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

} // namespace
