// Statistics from a live game on the real OpenArena server: bots fight on
// oa_dm1 with a low frag limit, and the kills, the players (bots, known by
// their skill) and the game's end with its scores reach the history file
// through the pump, named after the server.
#include "mainwindow/HostedMainWindow.h"
#include "realserver/RealServerSupport.h"
#include "stats/Sqlite.h"

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct StatsRealServerTest : HostedMainWindowTest {
    TempDir home{"ravelin-oahome"};

    stats::StatsFeature& stats() { return window->session().statistics(); }
};

} // namespace

TEST_F(StatsRealServerTest, BotsGameReachesTheHistoryWithItsEnd)
{
    if (!openArenaInstalled())
        GTEST_SKIP() << "openarena-server not installed";
    const int port = freeUdpPort();
    ASSERT_TRUE(startOpenArena(host, bridge, home.path(), port,
                               {"+set", "sv_hostname", "Real Stats", "+set", "fraglimit", "3", "+set", "bot_minplayers",
                                "0", "+set", "g_doWarmup", "0"}))
        << host.logText();
    openWindow();
    ASSERT_TRUE(waitForQt([&] { return stats().opened(); }, 20000));
    stats().setShowBots(true);
    bridge.SendConsoleCommandTo("addbot Sarge 5", host.handle());
    bridge.SendConsoleCommandTo("addbot Major 5", host.handle());
    bridge.SendConsoleCommandTo("addbot Grism 5", host.handle());

    // Three frags end the game ("Exit: Fraglimit hit."), with its scores.
    ASSERT_TRUE(waitForQt(
        [&] {
            for (const auto& game : stats().snapshot(stats::Span::AllTime).games)
                if (game.how == "Fraglimit hit.")
                    return true;
            return false;
        },
        180000))
        << "kills so far: " << stats().store()->killCount();

    // The figures from OpenArena's lines are StatsStoreTest's (a captured
    // games.log); here they arrive live: bots' kills, and the end's scores.
    const auto all = stats().snapshot(stats::Span::AllTime);
    ASSERT_FALSE(all.players.empty());
    for (const auto& player : all.players)
        EXPECT_TRUE(player.bot) << player.name;
    for (const auto& game : all.games)
        EXPECT_TRUE(game.how != "Fraglimit hit." || (!game.scores.empty() && game.scores.front().second >= 3));

    EXPECT_EQ(stats().databaseFile().filename(), "Real_Stats_" + std::to_string(port) + ".sqlite");
    sql::Database file(stats().databaseFile().string(), sql::Database::Mode::ReadOnly);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM kills"), stats().store()->killCount());
}
