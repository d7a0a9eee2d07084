// What the input tests share: the fakes bound, mouse states, the orbit camera's stand, and input
// started with its first read taken.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Input.h"
#include "camera/CameraRig.h"
#include "tests/app/SharedStateGuard.h"
#include "tests/fakes/FakePlatform.h"

inline const std::string kReadKeyboard = "GetDeviceState(keyboard, 256, ptr)";
inline const std::string kReadMouse = "GetDeviceState(mouse, 16, ptr)";

class InputTest : public testing::Test {
protected:
    SharedStateGuard sharedState;
    FakePlatform fakes;
    FakeInputDevice& keyboard = fakes.fakeDirectInput.keyboard;
    FakeInputDevice& mouse = fakes.fakeDirectInput.mouse;
};

inline DIMOUSESTATE motion(long dx, long dy = 0, long wheel = 0, BYTE button0 = 0)
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
inline const DIMOUSESTATE kPointerPlace = motion(409, 255, 120, 0x80);
inline constexpr POINT kPointer = {409, 255};

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
