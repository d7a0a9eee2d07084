// The lost device: the frames that wait for it, its reset and what the reset gives back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/Graphics.h"
#include "tests/app/GraphicsFixture.h"
#include "tests/fakes/FakePlatform.h"

namespace {

testing::AssertionResult sameParameters(const D3DPRESENT_PARAMETERS& actual,
                                        const D3DPRESENT_PARAMETERS& expected)
{
    if (std::memcmp(&actual, &expected, sizeof actual) == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "back buffer " << actual.BackBufferWidth << "x" << actual.BackBufferHeight << " x"
           << actual.BackBufferCount << " format " << actual.BackBufferFormat << ", expected "
           << expected.BackBufferWidth << "x" << expected.BackBufferHeight << " x"
           << expected.BackBufferCount << " format " << expected.BackBufferFormat;
}

// A started device with its font and the start-up scene, which Present has just reported lost.
class LostDevice : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        ASSERT_EQ(InitGraphics(fakes.window), S_OK);
        device.presentResult = D3DERR_DEVICELOST;
        RenderFrame();
        device.presentResult = D3D_OK;
        callLog().clear();
    }

    // A test that leaves the device lost would leave it so for the next one.
    void TearDown() override
    {
        device.cooperativeLevel = D3D_OK;
        device.resetResults.clear();
        RenderFrame();
    }

    FakeDevice& device = fakes.device();
};

const std::vector<std::string> kWaitForTheDevice = {"TestCooperativeLevel()", "sleep(50)"};
const std::vector<std::string> kResetAndRestore = {
    "OnLostDevice(font:Arial)",
    "GetAdapterDisplayMode(0, ptr)",
    "Reset(ptr)",
    "OnResetDevice(font:Arial)",
    "SetRenderState(137, 1)",
    "SetRenderState(139, 2434341)",
    "SetRenderState(7, 1)",
    "SetSamplerState(0, 6, 2)", "SetSamplerState(0, 5, 2)", "SetSamplerState(0, 7, 2)",
    "SetSamplerState(1, 6, 2)", "SetSamplerState(1, 5, 2)", "SetSamplerState(1, 7, 2)",
};

TEST_F(LostDevice, DrawsNothingAndWaitsEachTurnWhileItStaysLost)
{
    device.cooperativeLevel = D3DERR_DEVICELOST;

    RenderFrame();
    RenderFrame();

    std::vector<std::string> expected = kWaitForTheDevice;
    expected.insert(expected.end(), kWaitForTheDevice.begin(), kWaitForTheDevice.end());
    EXPECT_EQ(callLog().calls(), expected);
}

TEST_F(LostDevice, IsResetWithItsParametersThenGetsItsFontAndStatesBackAndDrawsAgain)
{
    device.cooperativeLevel = D3DERR_DEVICELOST;
    RenderFrame();
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    callLog().clear();

    RenderFrame();

    std::vector<std::string> expected = {"TestCooperativeLevel()"};
    expected.insert(expected.end(), kResetAndRestore.begin(), kResetAndRestore.end());
    expected.push_back("Clear(0, null, 3, 0xFF64C8FF, 1, 0)");
    EXPECT_EQ(firstCalls(expected.size()), expected);
    EXPECT_EQ(callLog().calls().back(), "Present(null, null, null, null)");
    ASSERT_EQ(device.resetParameters.size(), 1u);
    EXPECT_TRUE(sameParameters(device.resetParameters[0], fakes.fakeDirect3D.presentParameters));

    // Back to the frame of a device that was never lost.
    callLog().clear();
    RenderFrame();
    EXPECT_EQ(callLog().calls().front(), "Clear(0, null, 3, 0xFF64C8FF, 1, 0)");
}

TEST_F(LostDevice, AFailedResetIsTriedAgainOnALaterTurn)
{
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    device.resetResults = {D3DERR_DRIVERINTERNALERROR};

    RenderFrame();
    EXPECT_EQ(callLog().calls(), (std::vector<std::string>{
                                     "TestCooperativeLevel()", "OnLostDevice(font:Arial)",
                                     "GetAdapterDisplayMode(0, ptr)", "Reset(ptr)", "sleep(50)"}));
    callLog().clear();
    RenderFrame();

    EXPECT_EQ(callLog().named("Reset"), std::vector<std::string>{"Reset(ptr)"});
    EXPECT_EQ(callLog().named("OnResetDevice").size(), 1u);
    EXPECT_EQ(callLog().named("Present").size(), 1u);
}

// Direct3D writes its defaults (the back buffer's size and count) into the parameters it is
// given; a reset that passed those on would no longer follow the window.
TEST_F(LostDevice, EveryResetAsksForThePresentParametersOfStartUpNotTheFilledInOnes)
{
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    device.resetResults = {D3DERR_DRIVERINTERNALERROR};
    RenderFrame();
    RenderFrame();
    device.presentResult = D3DERR_DEVICELOST;
    RenderFrame();
    device.presentResult = D3D_OK;

    RenderFrame();

    const D3DPRESENT_PARAMETERS& startUp = fakes.fakeDirect3D.presentParameters;
    ASSERT_EQ(startUp.BackBufferWidth, 0u);
    ASSERT_EQ(device.resetParameters.size(), 3u);
    for (const D3DPRESENT_PARAMETERS& sent : device.resetParameters)
        EXPECT_TRUE(sameParameters(sent, startUp));
}

TEST_F(LostDevice, IsResetInTheFormatOfTheDisplayModeOfTheTime)
{
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    fakes.fakeDirect3D.displayMode.Format = D3DFMT_R5G6B5;

    RenderFrame();

    ASSERT_EQ(device.resetParameters.size(), 1u);
    EXPECT_EQ(device.resetParameters[0].BackBufferFormat, D3DFMT_R5G6B5);
}

TEST_F(LostDevice, WhoseDisplayModeCannotBeReadIsResetInTheLastFormatRead)
{
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    fakes.fakeDirect3D.displayMode.Format = D3DFMT_R5G6B5;
    device.resetResults = {D3DERR_DRIVERINTERNALERROR};
    RenderFrame();
    fakes.fakeDirect3D.displayModeResult = D3DERR_NOTAVAILABLE;

    RenderFrame();

    ASSERT_EQ(device.resetParameters.size(), 2u);
    EXPECT_EQ(device.resetParameters[1].BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(callLog().named("Present").size(), 1u);
}

TEST_F(LostDevice, ThatComesBackByItselfNeedsNoReset)
{
    device.cooperativeLevel = D3D_OK;

    RenderFrame();

    EXPECT_EQ(callLog().calls().front(), "TestCooperativeLevel()");
    EXPECT_TRUE(callLog().named("Reset").empty());
    EXPECT_EQ(callLog().named("DrawSubset").size(), 1u);
}

} // namespace
