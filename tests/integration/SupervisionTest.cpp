// The console host starts a failed server again under the same handle with
// its lines numbered on, stops a crash loop, leaves a server asked to quit
// ended, and restarts and stops one by hand.
#include "integration/IntegrationSupport.h"

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct SupervisionTest : ConsoleFixture {
    ConsoleHostProcess host;

    std::uint32_t starts() { return windows.supervise(host.handle()).starts; }
    CommandResult cli(const std::string& command, std::vector<std::string> more = {})
    {
        more.insert(more.begin(), {command, std::to_string(host.handle())});
        return consoleClient(more);
    }
};

} // namespace

TEST_F(SupervisionTest, FiveCrashesWithinTenMinutesStopTheRestarts)
{
    ASSERT_TRUE(host.startQ3sim({"--crash-after", "0.2", "+set", "net_port", "0"}));
    ASSERT_TRUE(waitForOutput(host.handle(), "5 crashes within ten minutes, so it is not started again",
                              std::chrono::seconds(60)));
    EXPECT_EQ(windows.supervise(host.handle()).text, "stopped after 5 crashes");
    EXPECT_EQ(starts(), 5u);
    EXPECT_NE(cli("cvar", {"sv_hostname"}).status, 0);
    EXPECT_NE(cli("send", {"status"}).status, 0);

    // By hand it runs again; stopped by hand, the host goes with it.
    EXPECT_EQ(cli("restart").status, 0);
    EXPECT_EQ(starts(), 6u);
    EXPECT_EQ(cli("stop").status, 0);
    EXPECT_TRUE(host.process().wait(std::chrono::seconds(20)).has_value());
}

TEST_F(SupervisionTest, AServerAskedToQuitIsNotRestartedHoweverItEnds)
{
    struct Case {
        std::vector<std::string> server;
        std::string typed;
        int status;
    };
    const std::vector<Case> cases = {
        {{"/bin/sh", "-c", "read line; exit 5"}, "QUIT", 5},
        {{"/bin/sh", "-c", "read line; kill -9 $$"}, "echo bye; \\quit", 137},
        {{"/bin/sh", "-c", "exit 0"}, "", 0},
    };
    for (const Case& c : cases) {
        ConsoleHostProcess one;
        // A server that ends at once may take its host with it before start() looks.
        const bool up = one.start(c.server);
        if (!c.typed.empty()) {
            ASSERT_TRUE(up);
            bridge.SendConsoleCommandTo(c.typed, one.handle());
        }
        auto status = one.process().wait(std::chrono::seconds(20));
        ASSERT_TRUE(status.has_value()) << c.typed;
        EXPECT_EQ(*status, c.status) << c.typed;
    }
}

TEST_F(SupervisionTest, ACrashALostMapOrAHangIsRestartedUnderTheSameHandle)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"sim_crash", "*** The server ended by signal 11 (SIGSEGV) after "},
        {"sim_dropmap", "*** The server lost its map (ERROR: CM_LoadMap: maps/q3dm17.bsp has wrong version number"},
        {"sim_hang", "*** The server stopped answering (3 status queries 2 s apart went unanswered) after "},
        {"", "*** The server ended with status 0; starting it again, as asked"}, // restarted by hand
    };
    for (const auto& [command, said] : cases) {
        ConsoleHostProcess one;
        ASSERT_TRUE(one.startQ3sim({"+set", "net_port", "0"}));
        ASSERT_TRUE(waitForOutput(one.handle(), "Opening IP socket"));
        if (command.empty())
            windows.supervise(one.handle(), ipc::SuperviseAction::Restart);
        else
            bridge.SendConsoleCommandTo(command, one.handle());
        EXPECT_TRUE(waitForOutput(one.handle(), said, std::chrono::seconds(20))) << output(one.handle());
        EXPECT_TRUE(waitFor([&] { return windows.supervise(one.handle()).starts == 2; }));
        // The same console, its lines numbered on, the new server behind it.
        EXPECT_EQ(windows.readLines(one.handle(), 0, 1 << 20).first, 1u);
        EXPECT_EQ(bridge.ExecCommand(one.handle(), "echo back", 5000).lines, std::vector<std::string>{"back"});
    }
}
