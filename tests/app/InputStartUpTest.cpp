// Input start-up: keyboard then mouse, each acquired, and the steps that fail or give S_FALSE.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/Input.h"
#include "tests/app/InputFixture.h"
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

} // namespace
