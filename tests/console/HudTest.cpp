// The HUD as drawn: the frame-rate read-out, the console lines, their places and colour.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Graphics.h"
#include "console/Engine.h"
#include "tests/fakes/FakePlatform.h"

namespace {

class Hud : public ::testing::Test {
protected:
    Hud()
    {
        g_device = &platform.device();
        engine.createFont();
        callLog().clear();
    }
    ~Hud() override { g_device = nullptr; }

    // Draws `frames` frames, the clock advancing `millisecondsPerFrame` between them.
    void drawFrames(int frames, DWORD millisecondsPerFrame)
    {
        for (int i = 0; i < frames; ++i) {
            engine.drawHud();
            platform.time += millisecondsPerFrame;
        }
    }

    // The text of the frame-rate read-out in the newest frame.
    std::string frameRateText()
    {
        const std::vector<std::string> draws = callLog().named("DrawTextA");
        const std::string& last = draws[draws.size() - kConsoleLineCount - 1];
        const std::size_t start = last.find("fps: ");
        return last.substr(start, last.find(',', start) - start);
    }

    FakePlatform platform;
    Engine engine;
};

TEST_F(Hud, TheFontIsArialFifteenPixelsNormalWeight)
{
    Engine fresh;
    fresh.createFont();
    ASSERT_EQ(callLog().named("createFont").size(), 1u);
    EXPECT_EQ(callLog().named("createFont")[0],
              formatCall("createFont", "device", 15, 0, 400, 0, 0, 1, 0, 0, 0, "Arial", "ptr"));
}

TEST_F(Hud, EachFrameDrawsTheRateThenTheTenLinesUpwardsInOpaqueBlack)
{
    engine.lines[0] = ">typed";
    engine.lines[9] = "oldest";
    // Before ten frames have been timed the first sample is measured against zero.
    platform.time = 20000;
    drawFrames(1, 0);
    std::vector<std::string> expected = {
        formatCall("DrawTextA", "font:Arial", "null", "fps: 0", -1, 10, 10, 0, 0, 256,
                   LoggedColor{0xFF000000})};
    for (int i = 0; i < kConsoleLineCount; ++i)
        expected.push_back(formatCall("DrawTextA", "font:Arial", "null", engine.lines[i], -1, 10,
                                      400 - 13 * i, 0, 0, 256, LoggedColor{0xFF000000}));
    EXPECT_EQ(callLog().named("DrawTextA"), expected);
}

struct TenFrames {
    DWORD milliseconds;
    const char* shown;
};

class FrameRate : public Hud, public ::testing::WithParamInterface<TenFrames> {};

TEST_P(FrameRate, IsAThousandOverWholeMillisecondsPerFrame)
{
    drawFrames(1, 0);
    // Ten frames between this sample and the next, spread over the given time.
    drawFrames(9, 0);
    platform.time += GetParam().milliseconds;
    drawFrames(1, 0);
    EXPECT_EQ(frameRateText(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, FrameRate,
    ::testing::Values(TenFrames{167, "fps: 62"}, TenFrames{333, "fps: 30"},
                      TenFrames{1000, "fps: 10"}, TenFrames{1500, "fps: 6"},
                      TenFrames{10, "fps: 1000"}, TenFrames{19, "fps: 1000"},
                      // Under a millisecond a frame: no division by zero, shown as 1000.
                      TenFrames{9, "fps: 1000"}, TenFrames{0, "fps: 1000"}));

TEST_F(Hud, TheRateChangesOnlyOnSamplingFrames)
{
    drawFrames(10, 20);   // samples on frame 1
    drawFrames(1, 40);    // frame 11 samples: 10 frames in 200 ms
    const std::string atSample = frameRateText();
    EXPECT_EQ(atSample, "fps: 50");
    drawFrames(9, 40);    // frames 12 to 20 keep the reading
    EXPECT_EQ(frameRateText(), atSample);
    drawFrames(1, 0);     // frame 21 samples again: 10 frames in 400 ms
    EXPECT_EQ(frameRateText(), "fps: 25");
}

TEST_F(Hud, AWrapOfTheMillisecondCounterDoesNoHarm)
{
    platform.time = 0xFFFFFFC0;
    drawFrames(10, 10);
    drawFrames(1, 0);
    EXPECT_EQ(frameRateText(), "fps: 100");
}

struct Channel {
    float value;
    D3DCOLOR packedRed;
};

class ColourPacking : public Hud, public ::testing::WithParamInterface<Channel> {};

TEST_P(ColourPacking, RoundsEachChannelToTheNearestByteAndClamps)
{
    engine.textColor = D3DXCOLOR(GetParam().value, 0.0f, 0.0f, 1.0f);
    drawFrames(1, 0);
    const std::string frameRateDraw = callLog().named("DrawTextA").at(0);
    EXPECT_NE(frameRateDraw.find(formatArg(LoggedColor{0xFF000000 | GetParam().packedRed})),
              std::string::npos)
        << frameRateDraw;
}

INSTANTIATE_TEST_SUITE_P(Channels, ColourPacking,
                         ::testing::Values(Channel{1.0f, 0xFF0000}, Channel{0.5f, 0x800000},
                                           Channel{2.0f, 0xFF0000}, Channel{-1.0f, 0x000000},
                                           Channel{0.1f, 0x1A0000}));

TEST_F(Hud, AFailedFontCreationLeavesNoFontWhateverTheLibraryWroteBack)
{
    Engine fresh;
    platform.fontResult = E_OUTOFMEMORY;

    fresh.createFont();
    fresh.drawHud();

    EXPECT_EQ(fresh.font, nullptr);
    EXPECT_TRUE(callLog().named("DrawTextA").empty());
}

TEST_F(Hud, WithoutAFontNothingIsDrawnAndTheClockStillRuns)
{
    engine.font = nullptr;
    drawFrames(1, 0);
    EXPECT_TRUE(callLog().named("DrawTextA").empty());
    EXPECT_EQ(engine.frameCount, 1);
}

} // namespace
