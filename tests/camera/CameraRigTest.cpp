// The camera controller: the Enter and V latches, the console gate, and the view it sends.
#include <gtest/gtest.h>

#include <dinput.h>

#include <initializer_list>

#include "app/Graphics.h"
#include "camera/CameraRig.h"
#include "console/Engine.h"
#include "tests/fakes/FakeDevice.h"

namespace {

// The console's Engine is left out (g_engine null): these tests watch the flags and latches only.
class CameraRigTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_freeBasis.reset();
        savedEngine = g_engine;
        g_engine = nullptr;
    }
    void TearDown() override { g_engine = savedEngine; }

    void turn(std::initializer_list<int> held = {}, long dx = 0, long dy = 0)
    {
        KeyStates keys = {};
        for (int code : held)
            keys[code] = 0x80;
        DIMOUSESTATE mouse = {};
        mouse.lX = dx;
        mouse.lY = dy;
        rig.handleInput(keys, mouse);
    }

    void openConsole()
    {
        turn({DIK_RETURN});
        turn();
        ASSERT_TRUE(rig.consoleOpen);
    }

    CameraRig rig;
    Engine* savedEngine = nullptr;
};

TEST_F(CameraRigTest, EnterHeldForFiftyTurnsOpensTheConsoleOnceAndTheNextPressClosesIt)
{
    for (int i = 0; i < 50; ++i) {
        turn({DIK_RETURN});
        ASSERT_TRUE(rig.consoleOpen) << "turn " << i;
    }
    turn();
    EXPECT_TRUE(rig.consoleOpen);
    for (int i = 0; i < 3; ++i) {
        turn({DIK_RETURN});
        EXPECT_FALSE(rig.consoleOpen) << "turn " << i;
    }
}

TEST_F(CameraRigTest, HoldingVTogglesTheModeOnceUntilReleased)
{
    for (int i = 0; i < 5; ++i)
        turn({DIK_V});
    EXPECT_FALSE(rig.orbitMode);
    turn();
    turn({DIK_V});
    EXPECT_TRUE(rig.orbitMode);
}

TEST_F(CameraRigTest, OnlyTheActiveCameraFollowsTheMouse)
{
    turn({}, 100);
    EXPECT_EQ(rig.orbit.azimuth, -10);
    EXPECT_EQ(rig.free.yawRate, 0);

    turn({DIK_V}, 100);
    EXPECT_EQ(rig.orbit.azimuth, -10);
    EXPECT_EQ(rig.free.yawRate, 1);
}

TEST_F(CameraRigTest, WhileTheConsoleIsOpenNeitherVNorMouseNorKeysDoAnything)
{
    openConsole();
    for (int i = 0; i < 5; ++i)
        turn({DIK_V, DIK_W, DIK_SPACE}, 300, 200);
    EXPECT_TRUE(rig.orbitMode);
    EXPECT_FALSE(rig.modeKeyLatch);
    EXPECT_EQ(rig.orbit.azimuth, 0);
    EXPECT_EQ(rig.orbit.polar, 90);
    EXPECT_EQ(rig.orbit.target.x, -100);
    EXPECT_EQ(rig.orbit.target.y, 5);
    EXPECT_EQ(rig.free.yawRate, 0);
}

TEST_F(CameraRigTest, EnterAndVNewlyHeldTogetherToggleOnlyTheConsole)
{
    turn({DIK_RETURN, DIK_V});
    EXPECT_TRUE(rig.consoleOpen);
    EXPECT_TRUE(rig.orbitMode);
}

TEST_F(CameraRigTest, VStillHeldAsTheConsoleClosesSwitchesAndDrivesTheFreeCameraThatTurn)
{
    openConsole();
    turn({DIK_V});
    turn({DIK_V, DIK_RETURN}, 100);
    EXPECT_FALSE(rig.consoleOpen);
    EXPECT_FALSE(rig.orbitMode);
    EXPECT_EQ(rig.free.yawRate, 1);
}

TEST_F(CameraRigTest, VPressThatAlreadyToggledBeforeTheConsoleOpenedDoesNotToggleAgain)
{
    turn({DIK_V});
    turn({DIK_V, DIK_RETURN});
    turn({DIK_V});
    turn({DIK_V, DIK_RETURN});
    EXPECT_FALSE(rig.consoleOpen);
    EXPECT_FALSE(rig.orbitMode);
}

void expectMatrixEq(const D3DMATRIX& actual, const D3DXMATRIX& expected)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_FLOAT_EQ(actual.m[row][column], expected.m[row][column])
                << "row " << row << ", column " << column;
}

D3DXMATRIX lookAt(D3DXVECTOR3 eye, D3DXVECTOR3 at, D3DXVECTOR3 up)
{
    D3DXMATRIX matrix;
    D3DXMatrixLookAtLH(&matrix, &eye, &at, &up);
    return matrix;
}

class CameraRigView : public CameraRigTest {
protected:
    void SetUp() override
    {
        CameraRigTest::SetUp();
        g_device = &device;
    }
    void TearDown() override
    {
        g_device = nullptr;
        CameraRigTest::TearDown();
    }

    // The view, then the projection, each set once.
    void expectTransforms(const D3DXMATRIX& view)
    {
        ASSERT_EQ(device.transformHistory.size(), 2u);
        EXPECT_EQ(device.transformHistory[0].first, D3DTS_VIEW);
        expectMatrixEq(device.transformHistory[0].second, view);
        EXPECT_EQ(device.transformHistory[1].first, D3DTS_PROJECTION);
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, 4.0f / 3.0f, 0.01f, 100000.0f);
        expectMatrixEq(device.transformHistory[1].second, projection);
    }

    FakeDevice device;
};

TEST_F(CameraRigView, FirstStillOrbitTurnLooksAtTheStartTargetFromJustAlongPlusX)
{
    turn();
    rig.applyView();
    expectTransforms(lookAt({-99.99f, 5, 300}, {-100, 5, 300}, {0, 1, 0}));
}

TEST_F(CameraRigView, SwitchingToTheFreeCameraLooksAlongPlusXFromTheOrigin)
{
    turn({DIK_V});
    rig.applyView();
    expectTransforms(lookAt({0, 0, 0}, {1, 0, 0}, {0, 1, 0}));
}

}  // namespace
