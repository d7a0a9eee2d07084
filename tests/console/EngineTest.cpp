// Console line editing and submission as the user drives it: open, type, backspace, submit.
#include <string>

#include <gtest/gtest.h>

#include "console/Engine.h"

namespace {

constexpr char kCarriageReturn = 13;

class ConsoleEditing : public ::testing::Test {
protected:
    // What the window procedure and the Enter key do for one typed line.
    void typeLine(const std::string& text)
    {
        engine.openConsole();
        for (char c : text)
            engine.onChar(c);
        engine.onChar(kCarriageReturn);
        engine.submitLine();
    }

    Engine engine;
};

TEST_F(ConsoleEditing, OpeningPutsThePromptIntoTheInputLineOnly)
{
    engine.lines[3] = "older";
    engine.openConsole();
    EXPECT_EQ(engine.lines[0], ">");
    EXPECT_EQ(engine.lines[3], "older");
}

TEST_F(ConsoleEditing, BackspaceOnThePromptWritesTheScoldingTextAndCountsDownFromIt)
{
    engine.openConsole();
    engine.onChar(8);
    EXPECT_EQ(engine.lines[0], ">Balfasz!!");
    for (int i = 0; i < 8; ++i)
        engine.onChar(8);
    EXPECT_EQ(engine.lines[0], ">B");
    engine.onChar(8);
    EXPECT_EQ(engine.lines[0], ">");
    engine.onChar(8);
    EXPECT_EQ(engine.lines[0], ">Balfasz!!");
}

TEST_F(ConsoleEditing, BackspaceRemovesATypedLetterBeforeScolding)
{
    engine.openConsole();
    engine.onChar('a');
    engine.onChar(8);
    EXPECT_EQ(engine.lines[0], ">");
    engine.onChar(8);
    EXPECT_EQ(engine.lines[0], ">Balfasz!!");
}

TEST_F(ConsoleEditing, ControlCharactersAndHighBytesAreStoredAsBytes)
{
    engine.openConsole();
    for (char c : {'\t', '\x01', '\x1B', '\xF5'})
        engine.onChar(c);
    EXPECT_EQ(engine.lines[0], std::string(">\t\x01\x1B\xF5"));
}

// The key poll and the character message of one Enter press may come in either order.
TEST_F(ConsoleEditing, TheEnterKeysCarriageReturnCountsOnceWhicheverArrivesFirst)
{
    engine.openConsole();
    engine.onChar(kCarriageReturn);   // the opening press's character, after the poll
    for (char c : std::string("#nope"))
        engine.onChar(c);
    engine.submitLine();              // the closing press polled before its character
    engine.onChar(kCarriageReturn);
    EXPECT_EQ(engine.lines[2], "#nope");
    EXPECT_EQ(engine.lines[1], "Command not found!");
    EXPECT_EQ(engine.lines[0], "");
}

TEST_F(ConsoleEditing, EnterEnterLeavesOnlyACarriageReturnInTheHistory)
{
    typeLine("");
    EXPECT_EQ(engine.lines[0], "");
    EXPECT_EQ(engine.lines[1], "\r");
    for (int i = 2; i < kConsoleLineCount; ++i)
        EXPECT_EQ(engine.lines[i], "") << "line " << i;
}

TEST_F(ConsoleEditing, PlainTextKeepsItsCarriageReturnAndPushesTheHistoryUp)
{
    typeLine("first");
    typeLine("second");
    EXPECT_EQ(engine.lines[0], "");
    EXPECT_EQ(engine.lines[1], "second\r");
    EXPECT_EQ(engine.lines[2], "first\r");
}

TEST_F(ConsoleEditing, TheHistoryHoldsNineLines)
{
    for (int i = 0; i < 10; ++i)
        typeLine("line" + std::to_string(i));
    EXPECT_EQ(engine.lines[1], "line9\r");
    EXPECT_EQ(engine.lines[9], "line1\r");
}

TEST_F(ConsoleEditing, AnUnknownCommandPushesTheTextAndTheComplaint)
{
    typeLine("older");
    typeLine("#nope");
    EXPECT_EQ(engine.lines[1], "Command not found!");
    EXPECT_EQ(engine.lines[2], "#nope");
    EXPECT_EQ(engine.lines[3], "older\r");
}

} // namespace
