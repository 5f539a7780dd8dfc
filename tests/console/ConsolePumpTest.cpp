#include "console/PumpFixture.h"

#include <stdexcept>

using namespace ravelin;
using ravelin::test::PumpTest;

// The first pass echoes what is there once; a partial line waits for its end.
TEST_F(PumpTest, PartialLineWaitsForItsLineEnd)
{
    console->appendRaw("first\r\nsec");
    pump.runPass();
    EXPECT_EQ(display.text, "first\r\n");
    EXPECT_EQ(pump.LLC(), 1u);

    pump.runPass();
    EXPECT_EQ(display.text, "first\r\n");

    console->appendRaw("ond\r\n");
    pump.runPass();
    EXPECT_EQ(display.text, "first\r\nsecond\r\n");
    EXPECT_EQ(pump.LLC(), 2u);
}

// The script called for the first line clears the console window and more
// output arrives meanwhile: that line waits for the next pass, and the
// window's new text neither replays nor loses a line.
TEST_F(PumpTest, LinesArrivingOrClearedDuringAPassAreHandledOnceByTheNext)
{
    procs = {"Q3ARVL_abc"};
    console->print("abc: one\nb\nc\n");
    pump.hooks().showLastCall = [&](const std::string&, const std::string&) {
        console->setOutput("");
        console->print("late\n");
    };
    pump.runPass();
    EXPECT_EQ(display.text, "abc: one\r\nb\r\nc\r\n");
    EXPECT_EQ(pump.LLC(), 3u);
    console->setOutput("x\r\ny\r\n");
    console->print("fresh\n");
    pump.runPass();
    EXPECT_EQ(display.text, "abc: one\r\nb\r\nc\r\nlate\r\nfresh\r\n");
    EXPECT_EQ(pump.LLC(), 5u);
}

TEST_F(PumpTest, APassReadsNoWindowTextAndHandsTheDisplayOneAppend)
{
    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "line " + std::to_string(i) + "\n";
    console->print(lines);
    const auto calls = [&] { return std::pair(desktop.calls().textReads, desktop.calls().lineCounts); };
    const auto before = calls();
    pump.runPass();
    EXPECT_EQ(pump.LLC(), 200u);
    EXPECT_EQ(display.appends, 1);
    EXPECT_EQ(calls(), before) << "the numbered lines are all it reads: no window text";
    EXPECT_EQ(display.text.size(), lines.size() + 200);
}

// A block is handed on once, neither echoed nor dispatched; the marker line
// itself leaves one empty line at the front.
TEST_F(PumpTest, StatusBlocksAreCapturedNotEchoed)
{
    const struct {
        const char* printed;
        const char* block;
        const char* shown;
    } cases[] = {
        {"before\n[BEGIN STATUS]\nmap: q3dm17\nnum score ping name\n[END STATUS]\nafter\n",
         "\r\nmap: q3dm17\r\nnum score ping name\r\n", "before\r\n... Successfull!\r\n\r\nafter\r\n"},
        // The markers are found whatever their case.
        {"echo: [begin status]\nrow\nx [End Status] y\n", "\r\nrow\r\n", ".. Successfull!\r\n\r\n"},
        // The server's echo of the request line carries both markers.
        {"]ECHO [BEGIN STATUS];STATUS;ECHO [END STATUS]\nnext\n", "", " Successfull!\r\n\r\nnext\r\n"},
    };
    procs = {"Q3ARVL_map", "Q3ARVL_echo"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.printed);
        blocks.clear();
        display.text.clear();
        console->print(c.printed);
        pump.runPass();
        EXPECT_EQ(blocks, std::vector<std::string>{c.block});
        EXPECT_EQ(display.text, c.shown);
        EXPECT_TRUE(lastCalls.empty()) << "lines inside a block are not dispatched";
        EXPECT_EQ(std::tuple(pump.InStatusBlock(), pump.StatusBuffer()), std::tuple(false, ""));
    }
}

TEST_F(PumpTest, EndMarkerOutsideACaptureIsAnOrdinaryLine)
{
    procs = {"Q3ARVL_[END_STATUS]"};
    console->print("[END STATUS]: odd\n");
    pump.runPass();
    EXPECT_TRUE(blocks.empty());
    EXPECT_EQ(display.text, "[END STATUS]: odd\r\n");
    EXPECT_EQ(lastCalls, (decltype(lastCalls){{"Q3ARVL_[END_STATUS]", " odd"}}));
}

TEST_F(PumpTest, UnterminatedCaptureSwallowsLinesUntilItsEnd)
{
    procs = {"Q3ARVL_say"};
    console->print("[BEGIN STATUS]\nsay: hello\nsay: again\n");
    pump.runPass();
    EXPECT_TRUE(pump.InStatusBlock());
    console->print("say: still captured\n");
    pump.runPass();
    EXPECT_EQ(std::tuple(display.text, lastCalls.size(), blocks.size()), std::tuple("....", 0u, 0u));

    console->print("[END STATUS]\nsay: free\n");
    pump.runPass();
    EXPECT_EQ(blocks, std::vector<std::string>{"\r\nsay: hello\r\nsay: again\r\nsay: still captured\r\n"});
    EXPECT_EQ(display.text, ".... Successfull!\r\n\r\nsay: free\r\n");
    EXPECT_EQ(lastCalls, (decltype(lastCalls){{"Q3ARVL_say", " free"}}));
}

TEST_F(PumpTest, FailingBlockHandlerStillEchoesAndGoesOn)
{
    pump.hooks().parseStatusBlock = [](const std::string&) { throw std::runtime_error("bad block"); };
    console->print("[BEGIN STATUS]\nrow\n[END STATUS]\nafter\n");
    pump.runPass();
    EXPECT_EQ(display.text, ".. Successfull!\r\n\r\nafter\r\n");
    EXPECT_EQ(pump.LLC(), 4u);
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

TEST_F(PumpTest, ClearEmptiesBothWindowsAndKeepsTheLineNumbers)
{
    console->print("one\ntwo\n");
    pump.runPass();
    ASSERT_EQ(pump.LLC(), 2u);

    pump.clear();
    EXPECT_EQ(display.text, "");
    EXPECT_EQ(console->output(), "");

    console->print("three\n");
    pump.runPass();
    EXPECT_EQ(display.text, "three\r\n");
    EXPECT_EQ(pump.LLC(), 3u);
}

TEST_F(PumpTest, UnloadingStopsASuspendedPass)
{
    // The window closes while the script for the second line runs.
    procs = {"Q3ARVL_abc"};
    console->print("a\nabc: two\nc\n");
    pump.hooks().showLastCall = [&](const std::string&, const std::string&) { unloading = true; };
    pump.runPass();
    EXPECT_EQ(display.text, "a\r\n");
    // The line in hand counts as handled: none is ever handled twice.
    EXPECT_EQ(pump.LLC(), 2u);
    EXPECT_FALSE(pump.passRunning());

    pump.runPass();
    EXPECT_EQ(display.text, "a\r\n");
}

TEST_F(PumpTest, TickDuringASuspendedPassDoesNotNest)
{
    // The script for each line yields, as ConsoleOut does.
    procs = {"Q3ARVL_abc"};
    pump.hooks().showLastCall = [&](const std::string&, const std::string&) { loop.yield(); };
    console->print("abc: a\nabc: b\nabc: c\n");
    int nestedTicks = 0;
    // Every yield inside the pass is a chance for the timer to fire again.
    loop.onEveryYield([&] {
        ++nestedTicks;
        pump.runPass();
        return true;
    });
    pump.runPass();
    EXPECT_GT(nestedTicks, 0);
    EXPECT_EQ(display.text, "abc: a\r\nabc: b\r\nabc: c\r\n");
    EXPECT_EQ(pump.LLC(), 3u);
}

TEST_F(PumpTest, FirstPassStartsAtWhatTheWindowWouldHaveShown)
{
    // 5,000 lines of 20 characters with CR LF: the newest 32,767 characters
    // are the last 1,638 whole lines.
    for (long long i = 1; i <= 5000; ++i)
        console->print("backlog " + std::to_string(10'000'000'000 + i).substr(1) + "\n");
    pump.runPass();
    EXPECT_EQ(display.text.size(), 1638u * 20);
    EXPECT_EQ(display.text.substr(0, 20), "backlog 0000003363\r\n");
    EXPECT_EQ(pump.LLC(), 5000u);
}

TEST_F(PumpTest, LinesTheRingLostAreCountedInTheDebugBox)
{
    console->print("seen\n");
    pump.runPass();
    // More than the ring keeps (its newest block) arrives between two passes.
    console->ring() = LineRing(1, console->ring().newest());
    for (int i = 0; i < 3000; ++i)
        console->print(std::string(99, 'x') + "\n");
    const std::uint64_t lost = console->ring().oldest() - 2;
    ASSERT_GT(lost, 0u);
    pump.runPass();
    ASSERT_EQ(debug.size(), 1u);
    EXPECT_EQ(debug[0], "Console: " + std::to_string(lost) + " lines were skipped: the console no longer had them");
    EXPECT_EQ(pump.skippedLines(), lost);
    EXPECT_EQ(display.text.size(), 6 + (3000 - lost) * 101);
}

TEST_F(PumpTest, ALineSplitInPiecesIsHandledWhole)
{
    procs = {"Q3ARVL_long"};
    pump.runPass();
    std::string data(150 * 1024, 'y');
    console->print("long: " + data + "\n");
    pump.runPass();
    EXPECT_EQ(lastCalls, (decltype(lastCalls){{"Q3ARVL_long", " " + data}}));
    EXPECT_EQ(pump.LLC(), 3u);
}
