#include "pump/PumpFixture.h"

#include <stdexcept>

using namespace ravelin;
using ravelin::test::PumpTest;

TEST_F(PumpTest, EmptyConsoleChangesNothing)
{
    pump.runPass();
    EXPECT_EQ(display.text, "");
    EXPECT_EQ(pump.LLC(), 0);
}

TEST_F(PumpTest, PartialLineWaitsForItsLineEnd)
{
    console->appendRaw("first\r\nsec");
    pump.runPass();
    EXPECT_EQ(display.text, "first\r\n");
    EXPECT_EQ(pump.LLC(), 1);

    pump.runPass();
    EXPECT_EQ(display.text, "first\r\n");

    console->appendRaw("ond\r\n");
    pump.runPass();
    EXPECT_EQ(display.text, "first\r\nsecond\r\n");
    EXPECT_EQ(pump.LLC(), 2);
}

TEST_F(PumpTest, ExistingHistoryIsEchoedOnceOnTheFirstPass)
{
    console->print("one\ntwo\nthree\n");
    pump.runPass();
    pump.runPass();
    EXPECT_EQ(display.text, "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(pump.LLC(), 3);
}

TEST_F(PumpTest, ShorterReplacementIsHandledFromItsFirstLine)
{
    console->print("a\nb\nc\n");
    pump.runPass();
    console->setOutput("x\r\ny\r\n");
    pump.runPass();
    EXPECT_EQ(display.text, "a\r\nb\r\nc\r\nx\r\ny\r\n");
    EXPECT_EQ(pump.LLC(), 2);
}

TEST_F(PumpTest, OutputClearedMidPassRestartsFromTheNewFirstLine)
{
    // The script called for the first line clears the console.
    procs = {"Q3ARVL_abc"};
    console->print("abc: one\nb\nc\n");
    pump.hooks().showLastCall = [&](const std::string&, const std::string&) { console->setOutput(""); };
    pump.runPass();
    EXPECT_EQ(display.text, "abc: one\r\n");
    EXPECT_EQ(pump.LLC(), 0);

    // An empty box is no line at all; the next line is the new first line.
    pump.runPass();
    console->print("fresh\n");
    pump.runPass();
    EXPECT_EQ(display.text, "abc: one\r\nfresh\r\n");
    EXPECT_EQ(pump.LLC(), 1);
}

TEST_F(PumpTest, LinesArrivingDuringAPassAreHandledByTheNextPass)
{
    // More output arrives while the script for the first line runs.
    procs = {"Q3ARVL_abc"};
    console->print("abc: one\nb\n");
    pump.hooks().showLastCall = [&](const std::string&, const std::string&) { console->print("late\n"); };
    pump.runPass();
    EXPECT_EQ(display.text, "abc: one\r\nb\r\n");
    EXPECT_EQ(pump.LLC(), 2);
    procs.clear();
    pump.runPass();
    EXPECT_EQ(display.text, "abc: one\r\nb\r\nlate\r\n");
    EXPECT_EQ(pump.LLC(), 3);
}

TEST_F(PumpTest, APassReadsTheTextOnceAndHandsTheDisplayOneAppend)
{
    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "line " + std::to_string(i) + "\n";
    console->print(lines);
    int appends = 0;
    struct CountingDisplay final : ConsoleDisplay {
        int& appends;
        std::string text;
        explicit CountingDisplay(int& a) : appends(a) {}
        void appendDisplay(std::string_view more) override { ++appends, text += more; }
        std::string displayText() const override { return text; }
        void setDisplayText(std::string_view replacement) override { text = std::string(replacement); }
    } counting(appends);
    ConsolePump quiet(bridge, counting, unloading);
    int reads = desktop.calls().textReads;
    int counts = desktop.calls().lineCounts;
    quiet.runPass();
    EXPECT_EQ(quiet.LLC(), 200);
    EXPECT_EQ(appends, 1);
    EXPECT_EQ(desktop.calls().textReads - reads, 1);
    // Nothing ran between the lines, so the box was counted once.
    EXPECT_EQ(desktop.calls().lineCounts - counts, 1);
    EXPECT_EQ(counting.text.size(), lines.size() + 200);
}

TEST_F(PumpTest, StatusBlockIsCapturedNotEchoed)
{
    procs = {"Q3ARVL_map"};
    console->print("before\n[BEGIN STATUS]\nmap: q3dm17\nnum score ping name\n[END STATUS]\nafter\n");
    pump.runPass();
    ASSERT_EQ(blocks.size(), 1u);
    // The marker line itself leaves one empty line at the front.
    EXPECT_EQ(blocks[0], "\r\nmap: q3dm17\r\nnum score ping name\r\n");
    EXPECT_EQ(display.text, "before\r\n... Successfull!\r\n\r\nafter\r\n");
    EXPECT_TRUE(lastCalls.empty()) << "lines inside a block are not dispatched";
    EXPECT_FALSE(pump.InStatusBlock());
    EXPECT_EQ(pump.StatusBuffer(), "");
}

TEST_F(PumpTest, MarkersAreFoundWhateverTheirCase)
{
    console->print("echo: [begin status]\nrow\nx [End Status] y\n");
    pump.runPass();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], "\r\nrow\r\n");
}

TEST_F(PumpTest, StatusBlockSpreadOverTwoTicksIsHandedOnOnce)
{
    console->print("[BEGIN STATUS]\nmap: q3dm6\n");
    pump.runPass();
    EXPECT_TRUE(pump.InStatusBlock());
    EXPECT_TRUE(blocks.empty());
    EXPECT_EQ(display.text, "..");

    console->print("  0   5   48 Bob\n[END STATUS]\n");
    pump.runPass();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], "\r\nmap: q3dm6\r\n  0   5   48 Bob\r\n");
    EXPECT_EQ(display.text, "... Successfull!\r\n\r\n");
}

TEST_F(PumpTest, BothMarkersOnOneLineHandOnAnEmptyBlock)
{
    // The server's echo of the request line carries both markers.
    console->print("]ECHO [BEGIN STATUS];STATUS;ECHO [END STATUS]\nnext\n");
    pump.runPass();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], "");
    EXPECT_EQ(display.text, " Successfull!\r\n\r\nnext\r\n");
}

TEST_F(PumpTest, EndMarkerOutsideACaptureIsAnOrdinaryLine)
{
    procs = {"Q3ARVL_[END_STATUS]"};
    console->print("[END STATUS]: odd\n");
    pump.runPass();
    EXPECT_TRUE(blocks.empty());
    EXPECT_EQ(display.text, "[END STATUS]: odd\r\n");
    ASSERT_EQ(lastCalls.size(), 1u);
    EXPECT_EQ(lastCalls[0].first, "Q3ARVL_[END_STATUS]");
    EXPECT_EQ(lastCalls[0].second, " odd");
}

TEST_F(PumpTest, UnterminatedCaptureSwallowsLinesUntilItsEnd)
{
    procs = {"Q3ARVL_say"};
    console->print("[BEGIN STATUS]\nsay: hello\nsay: again\n");
    pump.runPass();
    console->print("say: still captured\n");
    pump.runPass();
    EXPECT_EQ(display.text, "....");
    EXPECT_TRUE(lastCalls.empty());
    EXPECT_TRUE(blocks.empty());

    console->print("[END STATUS]\nsay: free\n");
    pump.runPass();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], "\r\nsay: hello\r\nsay: again\r\nsay: still captured\r\n");
    ASSERT_EQ(lastCalls.size(), 1u);
    EXPECT_EQ(lastCalls[0].second, " free");
}

TEST_F(PumpTest, FailingBlockHandlerStillEchoesAndGoesOn)
{
    pump.hooks().parseStatusBlock = [](const std::string&) { throw std::runtime_error("bad block"); };
    console->print("[BEGIN STATUS]\nrow\n[END STATUS]\nafter\n");
    pump.runPass();
    EXPECT_EQ(display.text, ".. Successfull!\r\n\r\nafter\r\n");
    EXPECT_EQ(pump.LLC(), 4);
    EXPECT_FALSE(pump.InStatusBlock());
}

TEST_F(PumpTest, TrimKeepsTheLast4096CharactersPast8192)
{
    display.text = std::string(8192, 'a');
    pump.trimDisplay();
    EXPECT_EQ(display.text.size(), 8192u);

    display.text = "b" + std::string(4095, 'a') + std::string(4096, 'z') + "!";
    ASSERT_EQ(display.text.size(), 8193u);
    pump.trimDisplay();
    EXPECT_EQ(display.text, std::string(4095, 'z') + "!");

    display.text = std::string(9000, 'q');
    unloading = true;
    pump.trimDisplay();
    EXPECT_EQ(display.text.size(), 9000u);
}

TEST_F(PumpTest, ClearEmptiesBothSidesAndRestartsTheLineCount)
{
    console->print("one\ntwo\n");
    pump.runPass();
    ASSERT_EQ(pump.LLC(), 2);

    pump.clear();
    EXPECT_EQ(display.text, "");
    EXPECT_EQ(pump.LLC(), 0);
    EXPECT_EQ(console->output(), "");

    console->print("three\n");
    pump.runPass();
    EXPECT_EQ(display.text, "three\r\n");
    EXPECT_EQ(pump.LLC(), 1);
}

TEST_F(PumpTest, UnloadingStopsASuspendedPassWithoutBookkeeping)
{
    // The window closes while the script for the second line runs.
    procs = {"Q3ARVL_abc"};
    console->print("a\nabc: two\nc\n");
    pump.hooks().showLastCall = [&](const std::string&, const std::string&) { unloading = true; };
    pump.runPass();
    EXPECT_EQ(display.text, "a\r\n");
    EXPECT_EQ(pump.LLC(), 0);
    EXPECT_FALSE(pump.passRunning());

    pump.runPass();
    EXPECT_EQ(display.text, "a\r\n");
}

TEST_F(PumpTest, TickDuringASuspendedPassDoesNotNest)
{
    console->print("a\nb\nc\n");
    int nestedTicks = 0;
    // Every yield inside the pass is a chance for the timer to fire again.
    loop.onEveryYield([&] {
        ++nestedTicks;
        pump.runPass();
        return true;
    });
    pump.runPass();
    EXPECT_GT(nestedTicks, 0);
    EXPECT_EQ(display.text, "a\r\nb\r\nc\r\n");
    EXPECT_EQ(pump.LLC(), 3);
}
