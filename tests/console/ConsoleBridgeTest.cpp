#include "console/ConsoleText.h"
#include "console/PumpFixture.h"

using namespace ravelin;
using ravelin::sim::SimConsole;
using BridgeTest = ravelin::test::SimBridgeTest;

TEST(ConsoleTextTest, CountsAndSplitsAtCrLfPairsOnly)
{
    // A bare LF or CR is not a line end.
    const std::pair<const char*, int> counts[] = {{"", -1},          {"partial", 0},     {"a\r\nb", 1},
                                                  {"a\r\nb\r\n", 2}, {"a\nb\rc\r\n", 1}, {"\r\n\r\n", 2}};
    for (const auto& [text, lines] : counts)
        EXPECT_EQ(consoleLineCount(text), lines) << text;
    // Splitting keeps the partial line last.
    EXPECT_EQ(splitConsoleText("a\r\nb\r\n"), (std::vector<std::string_view>{"a", "b", ""}));
    EXPECT_TRUE(splitConsoleText("").empty());
}

TEST(ConsoleTextTest, PrintableTextDropsControlCharactersButTabAndLineFeed)
{
    // A real chat line: the engine puts 0x19 between the name and the colon.
    EXPECT_EQ(printableConsoleText("say: Sarge: hi\r\nSarge\x19: hi\r\n"), "say: Sarge: hi\nSarge: hi\n");
    EXPECT_EQ(printableConsoleText(std::string("a\0b\tc\x7f\x1b[0m\xe9", 11)), "ab\tc[0m\xe9");
}

// Line numbers outside the text give empty lines; a partial line becomes
// complete when its line end arrives.
TEST_F(BridgeTest, ConsoleLineOfCountsOnlyCompleteLines)
{
    SimConsole& console = desktop.addConsole();
    EXPECT_EQ(bridge.ConsoleLineCount(), -1);
    EXPECT_EQ(bridge.ConsoleLineOf(1, console.handle()), "");
    console.appendRaw("a\r\nb");
    EXPECT_EQ(bridge.ConsoleLineCount(), 1);
    for (int n : {-3, 0, 2, 5})
        EXPECT_EQ(bridge.ConsoleLineOf(n, console.handle()), "") << n;
    console.appendRaw("\r\n");
    EXPECT_EQ(bridge.ConsoleLineCount(), 2);
    for (auto [n, line] : {std::pair(1, "a"), std::pair(2, "b"), std::pair(3, "")})
        EXPECT_EQ(bridge.ConsoleLineOf(n, console.handle()), line) << n;
    EXPECT_EQ(bridge.ReadConsoleOutput(), "a\r\nb\r\n");
}

TEST_F(BridgeTest, NoConsoleCostsTenThousandRetriesAndGivesZero)
{
    desktop.addWindow("Other", "Quake 3 Console"); // right title, wrong class
    EXPECT_EQ(bridge.FindConsoleWindow(), 0);
    EXPECT_EQ(desktop.calls().findWindow, 1 + ConsoleBridge::kFindRetries);
    EXPECT_EQ(bridge.LastFoundConsole(), 0);
    // Everything then works on handle 0, silently.
    EXPECT_EQ(bridge.ConsoleLineCount(), -1);
    bridge.SendConsoleCommand("status");
    bridge.ClearConsoleWindow();
    bridge.ShowConsole(false);
}

// The console found first stays in use while any console exists, and a
// selected one wins without a search; neither is checked again once it
// closes (the cache is never validated), so lines sent to it are lost.
TEST_F(BridgeTest, ConsoleInUseStaysAfterItCloses)
{
    SimConsole& first = desktop.addConsole();
    SimConsole& second = desktop.addConsole();
    EXPECT_EQ(bridge.FindConsoleWindow(), first.handle());
    desktop.closeWindow(first.handle());
    EXPECT_EQ(bridge.FindConsoleWindow(), first.handle());
    EXPECT_EQ(bridge.ConsoleLineCount(), -1);
    bridge.SendConsoleCommand("lost");
    EXPECT_TRUE(second.entered().empty());

    const int searches = desktop.calls().findWindow;
    bridge.setSelectedConsole(second.handle());
    EXPECT_EQ(bridge.FindConsoleWindow(), second.handle());
    EXPECT_EQ(desktop.calls().findWindow, searches);
    bridge.SendConsoleCommand("status");
    EXPECT_EQ(second.entered(), std::vector<std::string>{"status"});
    desktop.closeWindow(second.handle());
    EXPECT_EQ(bridge.FindConsoleWindow(), second.handle());
    EXPECT_EQ(bridge.ReadConsoleOutput(), "");
    bridge.setSelectedConsole(0);
    EXPECT_EQ(bridge.FindConsoleWindow(), 0);
}

TEST_F(BridgeTest, ChildLookupsIgnoreCaseAndMatchPrefixes)
{
    WindowHandle top = desktop.addWindow("Frame", "x");
    desktop.addChild(top, "Ed", "short class");
    WindowHandle edit = desktop.addChild(top, "EDITBOX", "");
    WindowHandle clear = desktop.addChild(top, "Button", "CLEAR all");
    EXPECT_EQ(bridge.FindChildByClass(top, "edit"), edit);
    EXPECT_EQ(bridge.FindChildByCaption(top, "Clear"), clear);
    EXPECT_EQ(bridge.FindChildByCaption(top, "nothing"), 0);
    EXPECT_EQ(bridge.FindChildByClass(0, "Edit"), 0);
}

TEST_F(BridgeTest, OutputBoxIsTheFirstEditAfterTheInputLine)
{
    SimConsole& console = desktop.addConsole({.extraButtonsBeforeOutput = 5});
    EXPECT_EQ(bridge.FindInputBox(), console.inputBox());
    EXPECT_EQ(bridge.FindOutputBox(), console.outputBox());
    EXPECT_EQ(bridge.FindOutputBoxOf(console.handle()), console.outputBox());
}

TEST_F(BridgeTest, MissingOutputBoxWalksToTheStepLimitYieldingTwicePerStep)
{
    SimConsole& console = desktop.addConsole({.withOutputBox = false});
    EXPECT_EQ(bridge.FindOutputBox(), 0);
    // Steps 1..4001 each yield once before the limit test; all but the last
    // yield again after it.
    EXPECT_EQ(loop.yields(), 2 * ConsoleBridge::kOutputWalkLimit + 1);

    int before = loop.yields();
    EXPECT_EQ(bridge.FindOutputBoxOf(console.handle()), 0);
    EXPECT_EQ(loop.yields() - before, 2 * ConsoleBridge::kOutputWalkLimitOf + 1);
    EXPECT_EQ(bridge.ConsoleLineCountOf(console.handle()), -1);
}

TEST_F(BridgeTest, WalkEndsAtOnceWhenTheConsoleIsGone)
{
    WindowHandle handle = desktop.addConsole({.withOutputBox = false}).handle();
    // The console closes while the walk yields.
    loop.post(3, [&] { desktop.closeWindow(handle); });
    EXPECT_EQ(bridge.FindOutputBoxOf(handle), 0);
    EXPECT_LT(loop.yields(), 10);

    int before = loop.yields();
    EXPECT_EQ(bridge.ReadConsoleOutputOf(handle), "");
    EXPECT_EQ(bridge.ConsoleLineCountOf(0), -1);
    EXPECT_EQ(loop.yields() - before, 0);
}

TEST_F(BridgeTest, CommandIsSentWholeAfterSixYieldsLeavingTheHalfTypedLine)
{
    SimConsole& console = desktop.addConsole();
    desktop.setText(console.inputBox(), "half-typed by the operator");
    int yieldsWhenEntered = -1;
    console.setServer([&](SimConsole&, const std::string&) { yieldsWhenEntered = loop.yields(); });

    bridge.SendConsoleCommand("ECHO [BEGIN STATUS];STATUS;ECHO [END STATUS]");

    EXPECT_EQ(console.entered(), std::vector<std::string>{"ECHO [BEGIN STATUS];STATUS;ECHO [END STATUS]"});
    EXPECT_EQ(yieldsWhenEntered, ConsoleBridge::kYieldsBeforeEnter);
    EXPECT_EQ(desktop.focused(), console.inputBox());
    EXPECT_EQ(desktop.textOf(console.inputBox()), "half-typed by the operator");
}

TEST_F(BridgeTest, SayQuotesWithoutEscapingAndSendToReachesTheNamedConsoleOnly)
{
    SimConsole& first = desktop.addConsole();
    SimConsole& second = desktop.addConsole();
    bridge.ConsoleSay("hi");
    bridge.ConsoleSay("say \"this\"; quit");
    EXPECT_EQ(first.entered(), (std::vector<std::string>{"Say \"hi\"", "Say \"say \"this\"; quit\""}));
    bridge.SendConsoleCommandTo("sv_hostname", second.handle());
    EXPECT_EQ(first.entered().size(), 2u);
    EXPECT_EQ(second.entered(), std::vector<std::string>{"sv_hostname"});
}

TEST_F(BridgeTest, ACommandSentDuringTheYieldsDoesNotSwallowThisOne)
{
    // A timer sending its own command inside this one's six yields: both
    // lines reach the server, the inner one first, and no empty line.
    SimConsole& console = desktop.addConsole();
    loop.post(3, [&] { bridge.SendConsoleCommand("inner"); });
    bridge.SendConsoleCommand("mine");
    EXPECT_EQ(console.entered(), (std::vector<std::string>{"inner", "mine"}));
}

TEST_F(BridgeTest, ClearClicksTheConsolesClearButton)
{
    SimConsole& console = desktop.addConsole();
    console.print("lots\nof\noutput\n");
    bridge.ClearConsoleWindow();
    EXPECT_EQ(console.output(), "");
    EXPECT_EQ(std::pair(desktop.calls().buttonDown, desktop.calls().buttonUp), std::pair(1, 1));
    EXPECT_EQ(bridge.ConsoleLineCount(), -1);
}

TEST_F(BridgeTest, ShowAndHideActOnTheChosenConsole)
{
    SimConsole& first = desktop.addConsole();
    SimConsole& second = desktop.addConsole();
    bridge.ShowConsole(false);
    EXPECT_FALSE(desktop.isWindowVisible(first.handle()));
    EXPECT_TRUE(desktop.isWindowVisible(second.handle()));
    bridge.ShowConsoleOf(false, second.handle());
    EXPECT_FALSE(desktop.isWindowVisible(second.handle()));
    bridge.ShowConsole(true);
    EXPECT_TRUE(desktop.isWindowVisible(first.handle()));
}
