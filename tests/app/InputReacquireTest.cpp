// Acquiring again: a device lost for several tries, and the mouse's first read after an acquire.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Input.h"
#include "app/Shell.h"
#include "camera/CameraRig.h"
#include "tests/app/InputFixture.h"
#include "tests/fakes/FakePlatform.h"

namespace {

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

} // namespace
