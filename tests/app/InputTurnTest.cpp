// One turn's reads: what reaches the camera, a failed read and its cost, and the Escape key.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/Input.h"
#include "camera/CameraRig.h"
#include "tests/app/InputFixture.h"
#include "tests/fakes/FakePlatform.h"

namespace {

TEST_F(PollInputTest, ReadsKeyboardThenMouseAndHandsBothToTheCamera)
{
    queueWAndMotion();

    PollInput();

    EXPECT_EQ(callLog().calls(), (std::vector<std::string>{kReadKeyboard, kReadMouse}));
    EXPECT_TRUE(after().targetMovedFrom(before));
    EXPECT_TRUE(after().turnedFrom(before));
}

TEST_F(PollInputTest, SnapshotReachesTheCameraUnchanged)
{
    keyboard.queueKeys({DIK_W, DIK_A, DIK_SPACE, DIK_LSHIFT});
    const DIMOUSESTATE state = motion(-37, 12, 120, 0x80);
    mouse.queueMouse(state);
    CameraRig expected = g_cameraRig;
    KeyStates keys = {};
    keys[DIK_W] = keys[DIK_A] = keys[DIK_SPACE] = keys[DIK_LSHIFT] = 0x80;
    expected.handleInput(keys, state);

    PollInput();

    const OrbitView seen = after();
    const OrbitView wanted = OrbitView::of(expected);
    EXPECT_FALSE(seen.targetMovedFrom(wanted));
    EXPECT_FALSE(seen.turnedFrom(wanted));
    EXPECT_EQ(g_cameraRig.orbit.moveSpeed, expected.orbit.moveSpeed);
}

// A read that fails, and the recovery that costs the turn its input.
struct LostTurn {
    const char* name;
    bool keyboardFails;   // otherwise the mouse
    HRESULT recovery;
};

void PrintTo(const LostTurn& c, std::ostream* os) { *os << c.name; }

class PollInputLostTurn : public PollInputTest, public testing::WithParamInterface<LostTurn> {};

TEST_P(PollInputLostTurn, EndsBeforeTheEscapeTestAndTheCamera)
{
    FakeInputDevice& failing = GetParam().keyboardFails ? keyboard : mouse;
    failing.stateResults = {DIERR_INPUTLOST};
    failing.acquireResults = {GetParam().recovery};
    queueWAndMotion({DIK_ESCAPE});

    PollInput();

    std::vector<std::string> expected = {kReadKeyboard, "Acquire(keyboard)"};
    if (!GetParam().keyboardFails)
        expected = {kReadKeyboard, kReadMouse, "Acquire(mouse)"};
    EXPECT_EQ(callLog().calls(), expected);
    EXPECT_FALSE(after().targetMovedFrom(before));
    EXPECT_FALSE(after().turnedFrom(before));
}

INSTANTIATE_TEST_SUITE_P(
    Recoveries, PollInputLostTurn,
    testing::Values(LostTurn{"KeyboardToAnotherApp", true, DIERR_OTHERAPPHASPRIO},
                    LostTurn{"KeyboardNotAcquired", true, DIERR_NOTACQUIRED},
                    LostTurn{"MouseToAnotherApp", false, DIERR_OTHERAPPHASPRIO},
                    LostTurn{"MouseNotAcquired", false, DIERR_NOTACQUIRED}),
    [](const testing::TestParamInfo<LostTurn>& info) { return info.param.name; });

TEST_F(PollInputTest, NextTurnAfterALostOneReadsBothAgain)
{
    keyboard.stateResults = {DIERR_INPUTLOST};
    keyboard.acquireResults = {DIERR_OTHERAPPHASPRIO};
    PollInput();
    callLog().clear();
    queueWAndMotion();

    PollInput();

    EXPECT_EQ(callLog().calls(), (std::vector<std::string>{kReadKeyboard, kReadMouse}));
    EXPECT_TRUE(after().targetMovedFrom(before));
}

// Fills the stack below the caller with 0xFF, where the next call's locals will lie: a snapshot
// that PollInput left unfilled would read as every key down and the mouse moving.
[[gnu::noinline]] void paintStack()
{
    volatile BYTE bytes[4096];
    for (volatile BYTE& byte : bytes)
        byte = 0xFF;
}

// A read that fails but whose recovery lets the turn go on: that device counts as idle.
struct RecoveredRead {
    const char* name;
    bool keyboardFails;   // otherwise the mouse
    HRESULT recovery;
};

void PrintTo(const RecoveredRead& c, std::ostream* os) { *os << c.name; }

class PollInputRecoveredRead : public PollInputTest,
                               public testing::WithParamInterface<RecoveredRead> {};

TEST_P(PollInputRecoveredRead, GoesOnWithThatDeviceIdle)
{
    FakeInputDevice& failing = GetParam().keyboardFails ? keyboard : mouse;
    failing.stateResults = {DIERR_INPUTLOST};
    failing.acquireResults = {GetParam().recovery};
    queueWAndMotion();

    paintStack();
    PollInput();

    const std::string failingName = GetParam().keyboardFails ? "keyboard" : "mouse";
    std::vector<std::string> expected = {kReadKeyboard, kReadMouse};
    expected.insert(expected.begin() + (GetParam().keyboardFails ? 1 : 2),
                    "Acquire(" + failingName + ")");
    EXPECT_EQ(callLog().calls(), expected);
    EXPECT_EQ(after().targetMovedFrom(before), !GetParam().keyboardFails);
    EXPECT_EQ(after().turnedFrom(before), GetParam().keyboardFails);
}

INSTANTIATE_TEST_SUITE_P(
    Recoveries, PollInputRecoveredRead,
    testing::Values(RecoveredRead{"KeyboardReacquired", true, DI_OK},
                    RecoveredRead{"KeyboardStillFailing", true, DIERR_GENERIC},
                    RecoveredRead{"MouseAlreadyAcquired", false, S_FALSE},
                    RecoveredRead{"MouseStillFailing", false, DIERR_INVALIDPARAM}),
    [](const testing::TestParamInfo<RecoveredRead>& info) { return info.param.name; });

TEST_F(PollInputTest, EscapeHeldPostsQuitAndTheCameraStillMoves)
{
    queueWAndMotion({DIK_ESCAPE});

    PollInput();

    EXPECT_EQ(callLog().calls(),
              (std::vector<std::string>{kReadKeyboard, kReadMouse, "postQuitMessage(0)"}));
    EXPECT_TRUE(after().targetMovedFrom(before));
    EXPECT_TRUE(after().turnedFrom(before));
}

TEST_F(PollInputTest, EscapeWithTheConsoleOpenStillPostsQuit)
{
    g_cameraRig.consoleOpen = true;
    queueWAndMotion({DIK_ESCAPE});

    PollInput();

    EXPECT_EQ(callLog().named("postQuitMessage"),
              std::vector<std::string>{"postQuitMessage(0)"});
    EXPECT_TRUE(g_cameraRig.consoleOpen);
    EXPECT_FALSE(after().targetMovedFrom(before));
}

TEST_F(PollInputTest, EscapeIsAStateEveryTurnItIsHeldPostsQuit)
{
    for (int turn = 0; turn < 3; ++turn)
        keyboard.queueKeys({DIK_ESCAPE});

    for (int turn = 0; turn < 3; ++turn)
        PollInput();

    EXPECT_EQ(callLog().named("postQuitMessage").size(), 3u);
}

} // namespace
