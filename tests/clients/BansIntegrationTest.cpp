// Lasting bans in the main window against q3sim in a console host, on both
// engines' forms: a banned player is kicked on the connect lines (the sweep
// switched off), the bans survive a restart of Ravelin, a key ban follows a
// new name, the ioq3 engine's own address list is kept in step, and a ban
// whose time ran out lets the player in.
#include "mainwindow/HostedMainWindow.h"
#include "platform/sim/ManualWallClock.h"

#include <QTimer>

#include <chrono>
#include <cstdio>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct BansAgainstQ3simTest : HostedMainWindowTest, testing::WithParamInterface<bool> {
    sim::ManualWallClock clock{
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count()};
    bool ioq3() const { return GetParam(); }
    LastingBans& bans() { return window->session().clients().admin().bans(); }

    // The main window on the running server, with this test's clock and the
    // ban sweep off, so only the connect checks can kick.
    void openWithClock()
    {
        wallClock = &clock;
        openWindow();
        window->findChild<QTimer*>("tmrBanned")->stop();
        ASSERT_TRUE(waitForQt([&] { return window->session().clients().query().ServerPort() > 0; }, 15000));
        ASSERT_TRUE(waitForQt([&] { return bans().engineList() != LastingBans::EngineList::Unknown; }, 10000));
    }
    std::size_t count(const std::string& text) { return occurrences(serverOutput(), text); }
    // Connects a player and waits until it is kicked; returns the time from
    // its settings line showing in the console to its kick showing.
    double connectAndAwaitKick(const std::string& name, const std::string& address, const std::string& key)
    {
        const std::size_t kicked = count(name + " was kicked");
        window->ConsoleOut("sim_connect " + name + " " + address + " " + key);
        EXPECT_TRUE(waitForQt([&] { return count("n\\" + name + "\\") > 0; }, 20000));
        const auto seen = std::chrono::steady_clock::now();
        EXPECT_TRUE(waitForQt([&] { return count(name + " was kicked") > kicked; }, 5000)) << serverOutput();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - seen).count();
    }
};

} // namespace

TEST_P(BansAgainstQ3simTest, BansHoldFromTheConnectAcrossARestartUntilTheyEnd)
{
    std::vector<std::string> arguments{"+set", "net_port", "0"};
    if (ioq3())
        arguments.insert(arguments.begin(), "--ioq3");
    ASSERT_TRUE(host.startQ3sim(arguments)) << host.logText();
    bridge.setSelectedConsole(host.handle());
    ASSERT_TRUE(waitForQt([&] { return serverOutput().find("Opening IP socket") != std::string::npos; }));
    openWithClock();
    EXPECT_EQ(bans().engineList(), ioq3() ? LastingBans::EngineList::Present : LastingBans::EngineList::Absent);

    // Banned by the operator while connected; the address and key come with
    // the slot's dumpuser answer.
    window->ConsoleOut("sim_connect Cheater 10.1.2.3 KEYC");
    ASSERT_TRUE(waitForQt([&] { return count("n\\Cheater\\") > 0; }, 20000));
    const std::uint64_t id = bans().banPlayer("0", "\"Cheater\"", "wall hack", 0);
    ASSERT_TRUE(waitForQt([&] { return !bans().list().find(id)->key.empty(); }, 20000));
    EXPECT_EQ(bans().list().find(id)->address, "10.1.2.3");
    window->ConsoleOut("clientkick 0");
    ASSERT_TRUE(waitForQt([&] { return count("Cheater was kicked") == 1; }, 20000));
    if (ioq3()) {
        EXPECT_TRUE(waitForQt([&] { return count("Added ban: 10.1.2.3/32") == 1; }, 20000));
    }

    // Ravelin restarts: the bans come back from the file.
    window->unload();
    window.reset();
    openWithClock();
    ASSERT_EQ(bans().list().size(), 1u);

    const double byName = connectAndAwaitKick("Cheater", "10.5.5.5", "OTHER");
    const double byKey = connectAndAwaitKick("NewName", "10.9.9.9", "KEYC");
    std::printf("connect line to kick on q3sim (%s): name ban %.0f ms, key ban %.0f ms\n", ioq3() ? "ioq3" : "1.32",
                byName, byKey);
    EXPECT_NE(serverOutput().find("(wall hack)"), std::string::npos);
    // On 1.32 Ravelin kicks an address; the ioq3 engine refuses it itself.
    if (!ioq3()) {
        const double byAddress = connectAndAwaitKick("Other", "10.1.2.3", "KEY2");
        std::printf("connect line to kick on q3sim (1.32): address ban %.0f ms\n", byAddress);
    }

    // A minute from now, then the minute passes: the next sweep lifts it.
    ASSERT_TRUE(bans().changeDuration(id, 60));
    clock.advance(60);
    window->session().tmrBanned_Timer();
    EXPECT_EQ(bans().list().size(), 0u);
    if (ioq3()) {
        EXPECT_TRUE(waitForQt([&] { return count("Deleting ban 10.1.2.3/32") == 1; }, 20000));
    }
    const std::size_t kicks = count(" was kicked");
    window->ConsoleOut("sim_connect Cheater 10.1.2.3 KEYC");
    ASSERT_TRUE(waitForQt([&] { return count("Cheater entered the game") > 0; }, 5000)) << serverOutput();
    EXPECT_EQ(count(" was kicked"), kicks);
}

INSTANTIATE_TEST_SUITE_P(Engines, BansAgainstQ3simTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "ioq3" : "q3"; });
