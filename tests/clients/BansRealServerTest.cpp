// Lasting bans against Debian's OpenArena server: a banned bot added again
// after Ravelin restarts is kicked on its connect lines, and an address ban
// sits in the engine's own list (listbans), put back after a map load.
#include "integration/IntegrationSupport.h"
#include "mainwindow/HostedMainWindow.h"
#include "realserver/RealServerSupport.h"

#include <QTimer>

#include <chrono>
#include <cstdio>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct BansRealServerTest : HostedMainWindowTest {
    TempDir home{"ravelin-oahome"};
    int port = 0;

    void SetUp() override
    {
        if (!openArenaInstalled())
            GTEST_SKIP() << "openarena-server not installed";
        port = freeUdpPort();
        ASSERT_TRUE(host.start(openArenaCommand(home.path(), port, {"+set", "bot_enable", "1"}))) << host.logText();
        bridge.setSelectedConsole(host.handle());
        ASSERT_TRUE(waitForQt([&] { return count("InitGame:") > 0; }, 60000)) << serverOutput();
        open();
    }
    // The window with the ban sweep off, so only the connect checks kick.
    void open()
    {
        openWindow();
        window->findChild<QTimer*>("tmrBanned")->stop();
        ASSERT_TRUE(waitForQt([&] { return window->session().clients().query().ServerPort() == port; }, 30000));
        ASSERT_TRUE(waitForQt([&] { return bans().engineList() == LastingBans::EngineList::Present; }, 30000));
    }
    LastingBans& bans() { return window->session().clients().admin().bans(); }
    std::size_t count(const std::string& text)
    {
        const std::string out = serverOutput();
        std::size_t n = 0;
        for (std::size_t at = out.find(text); at != std::string::npos; at = out.find(text, at + 1))
            ++n;
        return n;
    }
};

} // namespace

TEST_F(BansRealServerTest, ABannedBotIsKickedAtConnectAfterARestartAndAddressesGoToTheEngine)
{
    window->ConsoleOut("addbot Sarge 1");
    ASSERT_TRUE(waitForQt([&] { return !bans().players().empty(); }, 20000)) << serverOutput();
    const int slot = bans().players().begin()->first;
    bans().banPlayer(std::to_string(slot), "\"Sarge\"", "camping", 0);
    window->ConsoleOut("clientkick " + std::to_string(slot));
    ASSERT_TRUE(waitForQt([&] { return count("Sarge was kicked") == 1; }, 20000));

    window->unload();
    window.reset();
    open();
    ASSERT_EQ(bans().list().size(), 1u);
    window->ConsoleOut("addbot Sarge 1");
    ASSERT_TRUE(waitForQt([&] { return count("n\\Sarge\\") == 2; }, 20000));
    const auto seen = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitForQt([&] { return count("Sarge was kicked") == 2; }, 20000)) << serverOutput();
    std::printf("connect line to kick on OpenArena: %.0f ms\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - seen).count());
    EXPECT_NE(serverOutput().find("(camping)\";clientkick"), std::string::npos);

    // An address ban is the engine's too, and comes back after a map load.
    const std::uint64_t id = bans().addBan(Ban{"\"Far\"", "10.20.30.40", "", "", bans().now(), 0, {}});
    ASSERT_TRUE(waitForQt([&] { return count("Added ban: 10.20.30.40/32") == 1; }, 20000)) << serverOutput();
    window->ConsoleOut("flushbans;map oa_dm1");
    ASSERT_TRUE(waitForQt([&] { return count("Added ban: 10.20.30.40/32") == 2; }, 60000)) << serverOutput();
    window->ConsoleOut("listbans");
    ASSERT_TRUE(waitForQt([&] { return count("Ban #1: 10.20.30.40/32") > 0; }, 20000)) << serverOutput();
    bans().unban(id);
    EXPECT_TRUE(waitForQt([&] { return count("Deleting ban 10.20.30.40/32") == 1; }, 20000)) << serverOutput();
}
