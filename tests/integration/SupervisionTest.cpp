// The console host starts a failed server again: crashes come back after the
// back-off under the same handle with the numbering going on, a crash loop
// stops, a server asked to quit stays ended, and the command line can
// restart and stop it by hand.
#include "integration/IntegrationSupport.h"

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct SupervisionTest : ConsoleFixture {
    ConsoleHostProcess host;

    std::uint32_t starts() { return windows.supervise(host.handle()).starts; }
    std::string state() { return windows.supervise(host.handle()).text; }
    CommandResult cli(const std::string& command, std::vector<std::string> more = {})
    {
        more.insert(more.begin(), {(binDir() / "ravelin-console").string(), command, std::to_string(host.handle())});
        return runCommand(more);
    }
};

} // namespace

TEST_F(SupervisionTest, CrashedServerComesBackUnderTheSameHandleWithItsLinesNumberedOn)
{
    ASSERT_TRUE(host.startQ3sim({"+set", "net_port", "0"}));
    ASSERT_TRUE(waitForOutput(host.handle(), "Opening IP socket"));
    const int firstPid = windows.serverPid(host.handle());
    bridge.SendConsoleCommandTo("sim_crash", host.handle());
    ASSERT_TRUE(waitForOutput(host.handle(), "*** The server ended by signal 11 (SIGSEGV) after "));
    ASSERT_TRUE(waitForOutput(host.handle(), "; starting it again in 2 s (restart 1)"));
    EXPECT_EQ(state().substr(0, 14), "restarting in ");
    EXPECT_EQ(cli("send", {"status"}).status, 1) << "a line for a server that is not there must fail";
    ASSERT_TRUE(waitFor([&] { return starts() == 2; }));
    EXPECT_EQ(state(), "running");
    const std::uint64_t before = windows.readLines(host.handle(), 0, 1 << 20).newest;
    ASSERT_TRUE(waitFor([&] { return windows.readLines(host.handle(), before, 1 << 20).lines.size() > 3; }));
    LineBatch all = windows.readLines(host.handle(), 0, 1 << 20);
    EXPECT_EQ(all.first, 1u);
    EXPECT_NE(windows.serverPid(host.handle()), firstPid);
    EXPECT_EQ(cli("exec", {"echo", "back"}).out, "back\n");

    // By hand, at once.
    EXPECT_EQ(cli("restart").status, 0);
    EXPECT_TRUE(waitForOutput(host.handle(), "ended with status 0; starting it again, as asked"));
    EXPECT_TRUE(waitFor([&] { return starts() == 3; }));
}

TEST_F(SupervisionTest, FiveCrashesWithinTenMinutesStopTheRestarts)
{
    ASSERT_TRUE(host.startQ3sim({"--crash-after", "0.2", "+set", "net_port", "0"}));
    ASSERT_TRUE(waitForOutput(host.handle(), "5 crashes within ten minutes, so it is not started again",
                              std::chrono::seconds(60)));
    EXPECT_EQ(state(), "stopped after 5 crashes");
    EXPECT_EQ(starts(), 5u);
    EXPECT_TRUE(host.process().running());
    EXPECT_NE(cli("cvar", {"sv_hostname"}).status, 0);

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
        ASSERT_TRUE(one.start(c.server));
        if (!c.typed.empty())
            bridge.SendConsoleCommandTo(c.typed, one.handle());
        auto status = one.process().wait(std::chrono::seconds(20));
        ASSERT_TRUE(status.has_value()) << c.typed;
        EXPECT_EQ(*status, c.status) << c.typed;
    }
}

TEST_F(SupervisionTest, ALostMapOrAHangIsRestartedLikeACrash)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"sim_dropmap", "*** The server lost its map (ERROR: CM_LoadMap: maps/q3dm17.bsp has wrong version number"},
        {"sim_hang", "*** The server stopped answering (3 status queries 2 s apart went unanswered) after "},
    };
    for (const auto& [command, said] : cases) {
        ConsoleHostProcess one;
        ASSERT_TRUE(one.startQ3sim({"+set", "net_port", "0"}));
        ASSERT_TRUE(waitForOutput(one.handle(), "Opening IP socket"));
        bridge.SendConsoleCommandTo(command, one.handle());
        EXPECT_TRUE(waitForOutput(one.handle(), said, std::chrono::seconds(20))) << output(one.handle());
        EXPECT_TRUE(waitForOutput(one.handle(), "starting it again in 2 s (restart 1)"));
        EXPECT_TRUE(waitFor([&] { return windows.supervise(one.handle()).starts == 2; }));
    }
}
