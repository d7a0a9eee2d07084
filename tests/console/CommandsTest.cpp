// The console commands as typed: what line 1 and the history show, what gets loaded, and #exit.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console/Engine.h"
#include "tests/fakes/FakePlatform.h"

namespace {

const std::string kLoaded = " nev\xFB modell sikeresen bet\xF6ltve.";
const std::string kNotLoaded =
    " nev\xFB modell nem l\xE9tezik, hib\xE1s, vagy egy\xE9" "b okb\xF3l nem t\xF6lthet\xF5 be!!";

class ConsoleCommands : public ::testing::Test {
protected:
    void submit(const std::string& text)
    {
        engine.openConsole();
        for (char c : text)
            engine.onChar(c);
        engine.onChar('\r');
        engine.submitLine();
    }

    FakePlatform platform;
    Engine engine;
};

struct NotACommand {
    const char* typed;
    const char* keptInLine2;
};

class NotACommandLine : public ConsoleCommands,
                        public ::testing::WithParamInterface<NotACommand> {};

TEST_P(NotACommandLine, GivesCommandNotFoundWithTheTextBelowIt)
{
    engine.lines[1] = "older";
    submit(GetParam().typed);
    EXPECT_EQ(engine.lines[1], "Command not found!");
    EXPECT_EQ(engine.lines[2], GetParam().keptInLine2);
    EXPECT_EQ(engine.lines[3], "older");
    EXPECT_TRUE(engine.registry.models.empty());
}

INSTANTIATE_TEST_SUITE_P(
    ExitLookalikesAndStrays, NotACommandLine,
    ::testing::Values(NotACommand{"#exit ", "#exit "}, NotACommand{"#EXIT", "#EXIT"},
                      NotACommand{"#exits", "#exits"}, NotACommand{"#", "#"},
                      NotACommand{"##load x a.x", "##load x a.x"},
                      NotACommand{"#load", "#load"}, NotACommand{"#LOAD x a.x", "#LOAD x a.x"}));

TEST_F(ConsoleCommands, LoadReportsSuccessAfterTheNameAndKeepsNoCommandText)
{
    submit("#load x objektumok\\kocka\\kocka_00.x");
    EXPECT_EQ(engine.lines[1], "objektumok\\kocka\\kocka_00.x" + kLoaded);
    EXPECT_EQ(engine.lines[2], "");
    ASSERT_EQ(engine.registry.models.count("objektumok\\kocka\\kocka_00.x"), 1u);
    EXPECT_EQ(callLog().named("messageBox").size(), 0u);
}

TEST_F(ConsoleCommands, LoadOfAMissingFileReportsFailureAndKeepsTheEntry)
{
    platform.missingFiles.insert("nincs.x");
    submit("#load x nincs.x");
    EXPECT_EQ(engine.lines[1], "nincs.x" + kNotLoaded);
    EXPECT_EQ(engine.registry.models.count("nincs.x"), 1u);
    EXPECT_EQ(callLog().named("messageBox").size(), 1u);
}

TEST_F(ConsoleCommands, LoadGluedToTheNameLosesItsFirstLetter)
{
    submit("#load xmodel.x");
    EXPECT_EQ(engine.lines[1], "odel.x" + kLoaded);
    EXPECT_EQ(engine.registry.models.count("odel.x"), 1u);
}

TEST_F(ConsoleCommands, LoadWithoutANameFailsOnTheEmptyName)
{
    platform.missingFiles.insert("");
    submit("#load x");
    EXPECT_EQ(engine.lines[1], kNotLoaded);
    EXPECT_EQ(engine.registry.models.count(""), 1u);
}

TEST_F(ConsoleCommands, TheNameIsTakenUntrimmedWithItsHighBytes)
{
    submit("#load x  sz\xE9p.x ");
    EXPECT_EQ(engine.registry.models.count(" sz\xE9p.x "), 1u);
    EXPECT_EQ(engine.lines[1], " sz\xE9p.x " + kLoaded);
}

TEST_F(ConsoleCommands, PlainTextIsLeftAloneWithItsCarriageReturn)
{
    submit("hello #exit");
    EXPECT_EQ(engine.lines[1], "hello #exit\r");
    EXPECT_EQ(engine.lines[2], "");
}

TEST_F(ConsoleCommands, AThousandCommandsInARowKeepTenLinesAndOneEntryPerName)
{
    platform.missingFiles.insert("nincs.x");
    const std::string commands[] = {"#load x a.x", "#load x nincs.x", "#nope", "text",
                                    "#load x b.x"};
    for (int i = 0; i < 1000; ++i)
        submit(commands[i % 5]);
    EXPECT_EQ(engine.lines[1], "b.x" + kLoaded);
    EXPECT_EQ(engine.lines[2], "text\r");
    EXPECT_EQ(engine.lines[3], "Command not found!");
    EXPECT_EQ(engine.lines[4], "#nope");
    EXPECT_EQ(engine.lines[5], "nincs.x" + kNotLoaded);
    EXPECT_EQ(engine.registry.models.size(), 3u);
    EXPECT_EQ(callLog().named("messageBox").size(), 200u);
}

TEST_F(ConsoleCommands, AHundredKilobyteLineIsHandledLikeAnyOther)
{
    const std::string longText(100 * 1024, 'x');
    submit(longText);
    EXPECT_EQ(engine.lines[1], longText + "\r");
    submit("#" + longText);
    EXPECT_EQ(engine.lines[1], "Command not found!");
    EXPECT_EQ(engine.lines[2], "#" + longText);
}

// A long name of high bytes passes through whole: to the loader, the registry and the report.
class LoadOfALongName : public ConsoleCommands, public ::testing::WithParamInterface<size_t> {};

TEST_P(LoadOfALongName, ReachesTheLoaderWholeAndIsReportedWhole)
{
    const std::string name = std::string(GetParam() - 2, '\xE1') + ".x";   // áá…á.x
    platform.missingFiles.insert(name);
    submit("#load x " + name);
    EXPECT_EQ(callLog().named("readFile"), std::vector{"readFile(" + name + ")"});
    EXPECT_EQ(engine.registry.models.count(name), 1u);
    const std::vector<std::string> boxes = callLog().named("messageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("messageBox(null, " + name + ", ", 0), 0u);
    EXPECT_EQ(engine.lines[1], name + kNotLoaded);
}

INSTANTIATE_TEST_SUITE_P(
    HighBytes, LoadOfALongName, ::testing::Values(499, 500, 501, 4096),
    [](const auto& info) { return "Of" + std::to_string(info.param) + "Bytes"; });

using ConsoleExit = ConsoleCommands;

TEST_F(ConsoleExit, ExitEndsTheProcessWithStatusZero)
{
    EXPECT_EXIT(submit("#exit"), ::testing::ExitedWithCode(0), "");
}

} // namespace
