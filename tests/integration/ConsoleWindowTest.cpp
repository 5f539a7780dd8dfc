// The console window as Ravelin drives it: ravelin-console running q3sim,
// reached through IpcWindowManager and the console bridge.
#include "integration/IntegrationSupport.h"

#include "platform/ipc/EndpointFolder.h"

#include <csignal>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ConsoleWindowTest : ConsoleFixture {
    ConsoleHostProcess host;

    void SetUp() override
    {
        ASSERT_TRUE(host.startQ3sim({"+set", "sv_hostname", "Window Test", "+set", "net_port", "0"}));
    }
};

} // namespace

TEST_F(ConsoleWindowTest, FindsTheConsoleWithItsAnatomy)
{
    WindowHandle console = bridge.FindConsoleWindow();
    EXPECT_EQ(console, host.handle());
    EXPECT_EQ(windows.className(console), "Q3 WinConsole");
    EXPECT_EQ(windows.caption(console), "Quake 3 Console");

    std::vector<std::pair<std::string, std::string>> children;
    for (WindowHandle child = windows.firstChild(console); child != 0; child = windows.nextSibling(child)) {
        EXPECT_GT(child, 0);
        children.emplace_back(windows.className(child), windows.caption(child));
    }
    EXPECT_EQ(children,
              (std::vector<std::pair<std::string, std::string>>{
                  {"Edit", ""}, {"Button", "copy"}, {"Button", "clear"}, {"Button", "quit"}, {"Edit", ""}}));
    // Handles stay the same for the life of the client.
    EXPECT_EQ(bridge.FindInputBoxOf(console), windows.firstChild(console));
    EXPECT_EQ(bridge.FindOutputBoxOf(console), bridge.FindOutputBoxOf(console));
    EXPECT_NE(bridge.FindOutputBoxOf(console), bridge.FindInputBoxOf(console));
}

TEST_F(ConsoleWindowTest, OutputArrivesWithCrLfAndWithoutColourCodes)
{
    WindowHandle console = host.handle();
    ASSERT_TRUE(waitForOutput(console, "Opening IP socket"));
    bridge.SendConsoleCommandTo("echo ^1Red^7 and ^^3caret", console);
    ASSERT_TRUE(waitForOutput(console, "]echo ^1Red^7 and ^^3caret\r\nRed and ^caret\r\n"));
    // Every LF is preceded by CR.
    std::string text = output(console);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << "bare LF at " << at;
}

TEST_F(ConsoleWindowTest, LinesSentBackToBackAllArriveWhole)
{
    // The server reads 256 bytes at a time and takes each read as one line:
    // without waiting for the pipe to drain, lines would merge and lose bytes.
    WindowHandle console = host.handle();
    for (int i = 1; i <= 40; ++i)
        bridge.SendConsoleCommandTo("echo line-" + std::to_string(i) + "-end", console);
    ASSERT_TRUE(waitForOutput(console, "\r\nline-40-end\r\n"));
    std::string text = output(console);
    std::size_t last = 0;
    for (int i = 1; i <= 40; ++i) {
        auto at = text.find("\r\nline-" + std::to_string(i) + "-end\r\n");
        ASSERT_NE(at, std::string::npos) << "line " << i << " missing";
        EXPECT_GT(at, last);
        last = at;
    }
}

TEST_F(ConsoleWindowTest, OverlongLineIsCutAndTheWindowSaysSo)
{
    WindowHandle console = host.handle();
    std::string word(300, 'w');
    bridge.SendConsoleCommandTo("echo " + word, console);
    ASSERT_TRUE(waitForOutput(console, "line cut to 254"));
    // The server got the first 254 bytes as one line: "echo " and 249 w.
    ASSERT_TRUE(waitForOutput(console, "\r\n" + std::string(249, 'w') + "\r\n"));
    // And it still takes the next line normally.
    bridge.SendConsoleCommandTo("echo after-the-long-one", console);
    EXPECT_TRUE(waitForOutput(console, "\r\nafter-the-long-one\r\n"));
}

TEST_F(ConsoleWindowTest, ClearButtonEmptiesTheOutputBox)
{
    WindowHandle console = host.handle();
    ASSERT_TRUE(waitForOutput(console, "Opening IP socket"));
    bridge.setSelectedConsole(console);
    bridge.ClearConsoleWindow();
    EXPECT_EQ(bridge.ConsoleLineCountOf(console), -1);
    bridge.SendConsoleCommandTo("echo fresh", console);
    ASSERT_TRUE(waitForOutput(console, "fresh\r\n"));
    EXPECT_EQ(output(console).rfind("]echo fresh\r\n", 0), 0u);
}

TEST_F(ConsoleWindowTest, FloodedOutputStaysWithinTheLimit)
{
    ConsoleHostProcess flood;
    ASSERT_TRUE(flood.startQ3sim({"--flood", "5000", "+set", "net_port", "0"}));
    ASSERT_TRUE(waitForOutput(flood.handle(), "flood: 5000\r\n", std::chrono::seconds(30)));
    std::string text = output(flood.handle());
    EXPECT_LE(text.size(), 32767u);
    EXPECT_EQ(text.find("flood: 1\r\n"), std::string::npos);
}

TEST_F(ConsoleWindowTest, TwoConsolesAreFoundInStartOrder)
{
    ConsoleHostProcess second;
    ASSERT_TRUE(second.startQ3sim({"+set", "sv_hostname", "Second", "+set", "net_port", "0"}));
    WindowHandle first = windows.findNextWindow(0, "Quake 3 Console");
    EXPECT_EQ(first, host.handle());
    EXPECT_EQ(windows.findNextWindow(first, "Quake 3 Console"), second.handle());
    EXPECT_EQ(windows.findNextWindow(second.handle(), "Quake 3 Console"), 0);
    EXPECT_EQ(windows.consoleWindows(), (std::vector<WindowHandle>{host.handle(), second.handle()}));
    EXPECT_EQ(bridge.FindConsoleWindow(), host.handle());
    EXPECT_EQ(probe.GetCvarValue(second.handle(), "sv_hostname"), "Second");
    EXPECT_EQ(probe.GetCvarValue(first, "sv_hostname"), "Window Test");
}

// Its server goes with it, and the console behaves like no window at all.
TEST_F(ConsoleWindowTest, ConsoleKilledWhileInUseBehavesLikeNoWindow)
{
    // Walks over a missing window yield thousands of times; a loop that
    // does not sleep keeps them short (1001 attempts for a probe).
    NullMessageLoop quick;
    ConsoleBridge bridge(windows, quick);
    CvarProbe probe(bridge);
    WindowHandle console = bridge.FindConsoleWindow();
    WindowHandle input = bridge.FindInputBoxOf(console);
    WindowHandle outputBox = bridge.FindOutputBoxOf(console);
    ASSERT_TRUE(waitFor([&] {
        return bridge.ReadConsoleOutputOf(console).find("Opening IP socket") != std::string::npos;
    })) << bridge.ReadConsoleOutputOf(console);
    const int serverPid = windows.serverPid(console);
    ASSERT_GT(serverPid, 0);

    host.process().signal(SIGKILL);
    ASSERT_TRUE(host.process().wait().has_value());
    EXPECT_TRUE(waitFor([&] { return processGone(serverPid); }));

    // The handles stay what they were, and now lead nowhere.
    EXPECT_EQ(windows.textLength(outputBox), 0);
    EXPECT_EQ(bridge.ReadConsoleOutputOf(console), "");
    EXPECT_EQ(bridge.ConsoleLineCountOf(console), -1);
    EXPECT_EQ(windows.firstChild(console), 0);
    EXPECT_EQ(windows.className(input), "");
    EXPECT_EQ(probe.GetCvarValue(console, "sv_hostname"), "UNKNOWN");
    bridge.SendConsoleCommandTo("status", console); // lost, silently
    bridge.ShowConsoleOf(false, console);
    EXPECT_FALSE(windows.isWindowVisible(console));
    // Its stale endpoint is cleared away and no console is found any more.
    EXPECT_EQ(windows.findWindow("Q3 WinConsole", "Quake 3 Console"), 0);
    EXPECT_TRUE(ipc::listEndpoints(endpointFolder()).empty());
    // The cached console stays in use while some console exists.
    ConsoleHostProcess other;
    ASSERT_TRUE(other.startQ3sim({"+set", "net_port", "0"}));
    EXPECT_EQ(bridge.FindConsoleWindow(), console);
    EXPECT_EQ(bridge.ReadConsoleOutput(), "");
}
