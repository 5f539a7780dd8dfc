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
    ASSERT_TRUE(waitForOutput(console, "Opening IP socket"));
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
}
