// How a console host starts and ends with its server.
#include "integration/IntegrationSupport.h"

#include "platform/ipc/EndpointFolder.h"

#include <csignal>

using namespace ravelin;
using namespace ravelin::test;

using HostLifecycleTest = ConsoleFixture;

// The server quitting, or the host told to end (it sends the server QUIT):
// either way both end with the server's status, leaving no endpoint.
TEST_F(HostLifecycleTest, ServerQuitOrSigtermEndsServerAndHost)
{
    for (bool bySignal : {false, true}) {
        ConsoleHostProcess host;
        startQ3sim(host);
        const int serverPid = windows.serverPid(host.handle());
        ASSERT_GT(serverPid, 0);
        if (bySignal)
            host.process().signal(SIGTERM);
        else
            bridge.SendConsoleCommandTo("quit", host.handle());
        EXPECT_EQ(host.process().wait(), 0) << bySignal;
        EXPECT_TRUE(processGone(serverPid));
        EXPECT_TRUE(ipc::listEndpoints(endpointFolder()).empty());
        EXPECT_EQ(windows.findWindow("Q3 WinConsole", "Quake 3 Console"), 0);
    }
}

TEST_F(HostLifecycleTest, KeepLeavesTheWindowOpenAfterTheServerEnds)
{
    ConsoleHostProcess host;
    ASSERT_TRUE(host.start({"/bin/sh", "-c", "echo bye now; exit 3"}, {"--headless", "--keep", "--restart", "never"}));
    ASSERT_TRUE(waitForOutput(host.handle(), "The server ended with status 3"));
    EXPECT_NE(output(host.handle()).find("bye now\r\n"), std::string::npos);
    EXPECT_TRUE(host.process().running());
    bridge.SendConsoleCommandTo("status", host.handle());
    EXPECT_TRUE(waitForOutput(host.handle(), "not running"));
    host.process().signal(SIGTERM);
    EXPECT_EQ(host.process().wait(), 3);
}

TEST_F(HostLifecycleTest, ServerIgnoringQuitIsEndedAfterTheGracePeriod)
{
    ConsoleHostProcess host;
    ASSERT_TRUE(host.start({"/bin/sh", "-c", "trap '' TERM; while :; do sleep 0.1; done"}));
    host.process().signal(SIGINT);
    EXPECT_NE(host.process().wait(std::chrono::seconds(20)).value_or(0), 0);
    EXPECT_TRUE(ipc::listEndpoints(endpointFolder()).empty());
}

// Without a console running: a server that cannot start, a missing server
// command and an empty list each end as the operator would expect.
TEST_F(HostLifecycleTest, CommandsWithoutAConsoleEndClearly)
{
    const struct {
        std::vector<std::string> args;
        int status;
        const char* err;
    } cases[] = {{{"--headless", "--", "/no/such/server", "+map"}, 127, "cannot start /no/such/server"},
                 {{"--headless"}, 2, "no server command"},
                 {{"list"}, 0, ""}};
    for (const auto& c : cases) {
        auto result = consoleClient(c.args);
        EXPECT_EQ(result.status, c.status) << c.args[0] << ": " << result.err;
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_TRUE(ipc::listEndpoints(endpointFolder()).empty());
    EXPECT_EQ(bridge.FindConsoleWindow(), 0);
}

// The Qt window path, on the offscreen platform: it mirrors the same
// console, so everything a client does still works through it, and a burst
// into its input line is cut at the line's limit.
TEST_F(HostLifecycleTest, WindowedHostServesTheSameWindow)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ConsoleHostProcess host;
    bool started = host.startQ3sim({"+set", "sv_hostname", "Windowed", "+set", "net_port", "0"}, {});
    unsetenv("QT_QPA_PLATFORM");
    ASSERT_TRUE(started) << host.logText();
    WindowHandle console = host.handle();
    EXPECT_EQ(probe.GetCvarValue(console, "sv_hostname"), "Windowed");
    WindowHandle input = bridge.FindInputBoxOf(console);
    for (int i = 0; i < 20000; ++i)
        windows.sendChar(input, 'x');
    EXPECT_EQ(windows.textLength(input), 1024);
    EXPECT_TRUE(waitForOutput(console, "input line takes at most 1024 characters"));
    windows.setText(input, std::string(5000, 'y'));
    EXPECT_EQ(windows.textLength(input), 0);
    bridge.ClickButton(bridge.FindChildByCaption(console, "copy"));
    bridge.ShowConsoleOf(false, console);
    EXPECT_FALSE(windows.isWindowVisible(console));
    bridge.ShowConsoleOf(true, console);
    EXPECT_TRUE(windows.isWindowVisible(console));
    bridge.setSelectedConsole(console);
    bridge.ClearConsoleWindow();
    EXPECT_EQ(output(console), "");
    bridge.ClickButton(bridge.FindChildByCaption(console, "quit"));
    EXPECT_EQ(host.process().wait(), 0);
}

// Two command-line clients and this process typing into one console at
// once: every line reaches the server once (each client's Enter sends the
// text that client set, whatever the others typed in between).
TEST_F(HostLifecycleTest, ClientsTypingAtOnceLoseNoLine)
{
    ConsoleHostProcess host;
    startQ3sim(host);
    const std::string handle = std::to_string(host.handle());
    const std::string cli = (binDir() / "ravelin-console").string();
    constexpr int kLines = 25;
    std::vector<ChildProcess> typists;
    for (const char* who : {"A", "B"})
        typists.emplace_back(std::vector<std::string>{"/bin/sh", "-c",
                                                      "i=0; while [ $i -lt " + std::to_string(kLines)
                                                          + " ]; do i=$((i+1)); \"" + cli + "\" send " + handle
                                                          + " echo " + who + "$i: || exit 1; done"});
    for (int i = 1; i <= kLines; ++i)
        bridge.SendConsoleCommandTo("echo C" + std::to_string(i) + ":", host.handle());
    for (ChildProcess& typist : typists)
        EXPECT_EQ(typist.wait(std::chrono::seconds(60)), 0);

    auto missing = [&] {
        const std::string text = bridge.ReadConsoleOutputOf(host.handle());
        std::vector<std::string> lost;
        for (const char* who : {"A", "B", "C"})
            for (int i = 1; i <= kLines; ++i)
                if (text.find("\r\n" + std::string(who) + std::to_string(i) + ":\r\n") == std::string::npos)
                    lost.push_back(who + std::to_string(i));
        return lost;
    };
    EXPECT_TRUE(waitFor([&] { return missing().empty(); })) << ::testing::PrintToString(missing());
}
