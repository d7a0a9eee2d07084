// Input start-up, one turn's reads, the recovery of a lost device and the Escape key.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/Input.h"
#include "app/Shell.h"
#include "camera/CameraRig.h"
#include "tests/app/SharedStateGuard.h"
#include "tests/fakes/FakePlatform.h"

namespace {

const std::vector<std::string> kInitInputCalls = {
    "directInput8Create(module, 2048, IID_IDirectInput8A, ptr, null)",
    "CreateDevice(GUID_SysKeyboard, ptr, null)",
    "SetDataFormat(keyboard, c_dfDIKeyboard)",
    "Acquire(keyboard)",
    "CreateDevice(GUID_SysMouse, ptr, null)",
    "SetDataFormat(mouse, c_dfDIMouse)",
    "SetCooperativeLevel(mouse, window, 5)",
    "Acquire(mouse)",
};

const std::string kReadKeyboard = "GetDeviceState(keyboard, 256, ptr)";
const std::string kReadMouse = "GetDeviceState(mouse, 16, ptr)";

class InputTest : public testing::Test {
protected:
    SharedStateGuard sharedState;
    FakePlatform fakes;
    FakeInputDevice& keyboard = fakes.fakeDirectInput.keyboard;
    FakeInputDevice& mouse = fakes.fakeDirectInput.mouse;
};

using InitInputTest = InputTest;

TEST_F(InitInputTest, CreatesKeyboardThenMouseAndAcquiresEach)
{
    EXPECT_EQ(InitInput(fakes.module, fakes.window), S_OK);

    EXPECT_EQ(callLog().calls(), kInitInputCalls);
    EXPECT_EQ(g_directInput, &fakes.fakeDirectInput);
    EXPECT_EQ(g_keyboard, &keyboard);
    EXPECT_EQ(g_mouse, &mouse);
}

// A step that fails with its own result, and the calls made up to and including it.
struct FailedInputStep {
    const char* name;
    std::function<void(FakePlatform&)> fail;
    HRESULT result;
    size_t callsMade;
};

void PrintTo(const FailedInputStep& c, std::ostream* os) { *os << c.name; }

class InitInputFailure : public InputTest, public testing::WithParamInterface<FailedInputStep> {};

TEST_P(InitInputFailure, ReturnsTheStepsResultAndStopsThere)
{
    GetParam().fail(fakes);

    EXPECT_EQ(InitInput(fakes.module, fakes.window), GetParam().result);

    EXPECT_EQ(callLog().calls(), std::vector<std::string>(kInitInputCalls.begin(),
                                                          kInitInputCalls.begin() +
                                                              GetParam().callsMade));
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, InitInputFailure,
    testing::Values(
        FailedInputStep{"DirectInput",
                        [](FakePlatform& f) { f.directInputResult = DIERR_OLDDIRECTINPUTVERSION; },
                        DIERR_OLDDIRECTINPUTVERSION, 1},
        FailedInputStep{"KeyboardCreation",
                        [](FakePlatform& f) {
                            f.fakeDirectInput.keyboardResult = DIERR_DEVICENOTREG;
                        },
                        DIERR_DEVICENOTREG, 2},
        FailedInputStep{"KeyboardFormat",
                        [](FakePlatform& f) {
                            f.fakeDirectInput.keyboard.dataFormatResult = DIERR_INVALIDPARAM;
                        },
                        DIERR_INVALIDPARAM, 3},
        FailedInputStep{"KeyboardAcquire",
                        [](FakePlatform& f) {
                            f.fakeDirectInput.keyboard.acquireResults = {DIERR_OTHERAPPHASPRIO};
                        },
                        DIERR_OTHERAPPHASPRIO, 4},
        FailedInputStep{"MouseCreation",
                        [](FakePlatform& f) { f.fakeDirectInput.mouseResult = DIERR_NOINTERFACE; },
                        DIERR_NOINTERFACE, 5},
        FailedInputStep{"MouseFormat",
                        [](FakePlatform& f) {
                            f.fakeDirectInput.mouse.dataFormatResult = DIERR_ACQUIRED;
                        },
                        DIERR_ACQUIRED, 6},
        FailedInputStep{"MouseCooperativeLevel",
                        [](FakePlatform& f) {
                            f.fakeDirectInput.mouse.cooperativeLevelResult = E_HANDLE;
                        },
                        E_HANDLE, 7},
        FailedInputStep{"MouseAcquire",
                        [](FakePlatform& f) {
                            f.fakeDirectInput.mouse.acquireResults = {DIERR_NOTINITIALIZED};
                        },
                        DIERR_NOTINITIALIZED, 8}),
    [](const testing::TestParamInfo<FailedInputStep>& info) { return info.param.name; });

// A positive result from any step is success; the start-up as a whole reports plain 0.
struct PositiveResult {
    const char* name;
    std::function<void(FakePlatform&)> give;
};

void PrintTo(const PositiveResult& c, std::ostream* os) { *os << c.name; }

class InitInputPositiveResult : public InputTest,
                                public testing::WithParamInterface<PositiveResult> {};

TEST_P(InitInputPositiveResult, CountsAsSuccessAndGivesZero)
{
    GetParam().give(fakes);

    EXPECT_EQ(InitInput(fakes.module, fakes.window), S_OK);

    EXPECT_EQ(callLog().calls(), kInitInputCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, InitInputPositiveResult,
    testing::Values(
        PositiveResult{"KeyboardAlreadyAcquired",
                       [](FakePlatform& f) {
                           f.fakeDirectInput.keyboard.acquireResults = {S_FALSE};
                       }},
        PositiveResult{"MouseCooperativeLevel",
                       [](FakePlatform& f) {
                           f.fakeDirectInput.mouse.cooperativeLevelResult = S_FALSE;
                       }},
        PositiveResult{"MouseAlreadyAcquired",
                       [](FakePlatform& f) {
                           f.fakeDirectInput.mouse.acquireResults = {S_FALSE};
                       }}),
    [](const testing::TestParamInfo<PositiveResult>& info) { return info.param.name; });

DIMOUSESTATE motion(long dx, long dy = 0, long wheel = 0, BYTE button0 = 0)
{
    DIMOUSESTATE state = {};
    state.lX = dx;
    state.lY = dy;
    state.lZ = wheel;
    state.rgbButtons[0] = button0;
    return state;
}

// The motion Wine 10 reports after an acquire, the pointer's place in the window, with a wheel
// step taken since: the wheel counts only its own steps, so that one is real.
const DIMOUSESTATE kPointerPlace = motion(409, 255, 120, 0x80);
constexpr POINT kPointer = {409, 255};

// Where the orbit camera stands, to tell whether a turn's keys or mouse reached it.
struct OrbitView {
    Vec3 target;
    double azimuth;
    double polar;
    double radius;

    static OrbitView of(const CameraRig& rig)
    {
        return {rig.orbit.target, rig.orbit.azimuth, rig.orbit.polar, rig.orbit.radius};
    }
    bool targetMovedFrom(const OrbitView& before) const
    {
        return target.x != before.target.x || target.y != before.target.y ||
               target.z != before.target.z;
    }
    bool aimedFrom(const OrbitView& before) const
    {
        return azimuth != before.azimuth || polar != before.polar;
    }
    bool turnedFrom(const OrbitView& before) const
    {
        return aimedFrom(before) || radius != before.radius;
    }
};

// Input started on the fakes, the log cleared, the orbit camera active with the console closed.
class PollInputTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        fakes.cursor = kPointer;
        ASSERT_EQ(InitInput(fakes.module, fakes.window), S_OK);
        g_cameraRig.orbitMode = true;
        g_cameraRig.consoleOpen = false;
        // A first turn takes the start-up acquire's pointer place and gives the orbit camera an
        // offset, so that W has a direction.
        mouse.queueMouse(kPointerPlace);
        PollInput();
        callLog().clear();
        before = OrbitView::of(g_cameraRig);
    }

    OrbitView after() const { return OrbitView::of(g_cameraRig); }

    // W forward and 100 counts to the right: both halves of the snapshot show on the camera.
    void queueWAndMotion(std::initializer_list<BYTE> extraKeys = {})
    {
        std::vector<BYTE> keys = {DIK_W};
        keys.insert(keys.end(), extraKeys);
        std::vector<BYTE> state(256, 0);
        for (BYTE key : keys)
            state[key] = 0x80;
        keyboard.states.push_back(state);
        mouse.queueMouse(motion(100));
    }

    OrbitView before;
};

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

// Acquire answers DIERR_INPUTLOST `lost` times in a row, then `last`.
struct LostDevice {
    const char* name;
    int lost;
    HRESULT last;
    int acquires;
    bool turnGoesOn;
};

void PrintTo(const LostDevice& c, std::ostream* os) { *os << c.name; }

class PollInputLostKeyboard : public PollInputTest,
                              public testing::WithParamInterface<LostDevice> {};

TEST_P(PollInputLostKeyboard, AcquiresAgainWhileLostAtMostTenTimes)
{
    keyboard.stateResults = {DIERR_INPUTLOST};
    keyboard.acquireResults.assign(GetParam().lost, DIERR_INPUTLOST);
    keyboard.acquireResults.push_back(GetParam().last);
    mouse.queueMouse(motion(100));

    PollInput();

    std::vector<std::string> expected = {kReadKeyboard};
    expected.insert(expected.end(), GetParam().acquires, "Acquire(keyboard)");
    if (GetParam().turnGoesOn)
        expected.push_back(kReadMouse);
    EXPECT_EQ(callLog().calls(), expected);
    EXPECT_EQ(after().turnedFrom(before), GetParam().turnGoesOn);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, PollInputLostKeyboard,
    testing::Values(LostDevice{"BackAtTheThirdTry", 2, DI_OK, 3, true},
                    LostDevice{"ThenTakenByAnotherApp", 2, DIERR_OTHERAPPHASPRIO, 3, false},
                    LostDevice{"BackAtTheTenthTry", 9, DI_OK, 10, true},
                    LostDevice{"LostTenTimesGoesOnIdle", 10, DI_OK, 10, true},
                    LostDevice{"LostForGoodGoesOnIdle", 40, DI_OK, 10, true}),
    [](const testing::TestParamInfo<LostDevice>& info) { return info.param.name; });

TEST_F(PollInputTest, MouseLostForGoodStillLetsEscapeAndTheKeysThrough)
{
    mouse.stateResults = {DIERR_INPUTLOST};
    mouse.acquireResults.assign(40, DIERR_INPUTLOST);
    keyboard.queueKeys({DIK_W, DIK_ESCAPE});

    PollInput();

    std::vector<std::string> expected = {kReadKeyboard, kReadMouse};
    expected.insert(expected.end(), 10, "Acquire(mouse)");
    expected.push_back("postQuitMessage(0)");
    EXPECT_EQ(callLog().calls(), expected);
    EXPECT_TRUE(after().targetMovedFrom(before));
    EXPECT_FALSE(after().turnedFrom(before));
}

// How the mouse comes to be freshly acquired before a read.
struct FreshAcquire {
    const char* name;
    std::function<void(FakePlatform&)> acquire;
    bool motionDropped;
};

void PrintTo(const FreshAcquire& c, std::ostream* os) { *os << c.name; }

class MouseMotionAfterAcquire : public InputTest,
                                public testing::WithParamInterface<FreshAcquire> {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        fakes.cursor = kPointer;
        g_cameraRig.orbitMode = true;
        g_cameraRig.consoleOpen = false;
    }
};

TEST_P(MouseMotionAfterAcquire, FirstReadAimsNothingButKeepsTheWheelAndTheNextTurnsAsRead)
{
    GetParam().acquire(fakes);
    const OrbitView acquired = OrbitView::of(g_cameraRig);
    mouse.queueMouse(kPointerPlace);

    PollInput();

    EXPECT_EQ(OrbitView::of(g_cameraRig).aimedFrom(acquired), !GetParam().motionDropped);
    EXPECT_NE(g_cameraRig.orbit.radius, acquired.radius);
    CameraRig expected = g_cameraRig;
    expected.handleInput(KeyStates{}, motion(100, -30, 120));
    mouse.queueMouse(motion(100, -30, 120));

    PollInput();

    EXPECT_FALSE(OrbitView::of(g_cameraRig).turnedFrom(OrbitView::of(expected)));
    EXPECT_TRUE(OrbitView::of(g_cameraRig).turnedFrom(acquired));
}

void StartInput(FakePlatform& fakes)
{
    ASSERT_EQ(InitInput(fakes.module, fakes.window), S_OK);
}

// Started, and the start-up acquire's pointer place read and dropped.
void StartAndRead(FakePlatform& fakes)
{
    StartInput(fakes);
    fakes.fakeDirectInput.mouse.queueMouse(kPointerPlace);
    PollInput();
}

// Started, and a few reads taken before the pointer place comes.
void StartAndReadIdle(FakePlatform& fakes)
{
    StartInput(fakes);
    for (int i = 0; i < 3; ++i)
        PollInput();
}

INSTANTIATE_TEST_SUITE_P(
    Acquires, MouseMotionAfterAcquire,
    testing::Values(
        FreshAcquire{"AtStartUp", StartInput, true},
        FreshAcquire{"AtStartUpAFewReadsLate", StartAndReadIdle, true},
        FreshAcquire{"OnActivation",
                     [](FakePlatform& f) {
                         StartAndRead(f);
                         MainWindowProc(f.window, WM_ACTIVATE, WA_CLICKACTIVE, 0);
                     },
                     true},
        FreshAcquire{"OnRecoveryFromALostRead",
                     [](FakePlatform& f) {
                         StartAndRead(f);
                         f.fakeDirectInput.mouse.stateResults = {DIERR_INPUTLOST};
                         PollInput();
                     },
                     true},
        FreshAcquire{"NotWhenThePointerStandsElsewhere",
                     [](FakePlatform& f) {
                         StartInput(f);
                         f.cursor.x += 1;
                     },
                     false},
        FreshAcquire{"NotWhenAlreadyAcquired",
                     [](FakePlatform& f) {
                         StartAndRead(f);
                         f.fakeDirectInput.mouse.acquireResults = {S_FALSE};
                         MainWindowProc(f.window, WM_ACTIVATE, WA_ACTIVE, 0);
                     },
                     false},
        FreshAcquire{"NotWhenTheAcquireFailed",
                     [](FakePlatform& f) {
                         StartAndRead(f);
                         f.fakeDirectInput.mouse.acquireResults = {DIERR_OTHERAPPHASPRIO};
                         MainWindowProc(f.window, WM_ACTIVATE, WA_INACTIVE, 0);
                     },
                     false}),
    [](const testing::TestParamInfo<FreshAcquire>& info) { return info.param.name; });

TEST_F(PollInputTest, KeysOfTheFirstReadAfterAnAcquireStillCount)
{
    MainWindowProc(fakes.window, WM_ACTIVATE, WA_ACTIVE, 0);
    keyboard.queueKeys({DIK_W, DIK_ESCAPE});
    mouse.queueMouse(kPointerPlace);

    PollInput();

    EXPECT_EQ(callLog().named("postQuitMessage").size(), 1u);
    EXPECT_TRUE(after().targetMovedFrom(before));
    EXPECT_FALSE(after().aimedFrom(before));
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
