// The players feature and lasting bans in the main window against Debian's
// OpenArena server in a console host, with bots for players: its STATUS
// table is the ioq3 layout, its names keep colour codes, its status reply
// comes from its own port, and it keeps an address ban list of its own.
#include "mainwindow/HostedMainWindow.h"
#include "realserver/RealServerSupport.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdio>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ClientsRealServerTest : HostedMainWindowTest {
    TempDir home{"ravelin-oahome"};
    int port = 0;

    void SetUp() override
    {
        if (!openArenaInstalled())
            GTEST_SKIP() << "openarena-server not installed";
        port = freeUdpPort();
        ASSERT_TRUE(startOpenArena(host, bridge, home.path(), port, {"+set", "bot_enable", "1"})) << host.logText();
    }
    // The window, once it has read the server's port.
    void open()
    {
        openWindow();
        ASSERT_TRUE(waitForQt([&] { return clients().query().ServerPort() == port; }, 30000)) << serverOutput();
    }
    ClientsFeature& clients() { return window->session().clients(); }
    LastingBans& bans() { return clients().admin().bans(); }
    std::size_t count(const std::string& text) { return occurrences(serverOutput(), text); }
    void click(const char* name) { QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton); }
};

} // namespace

TEST_F(ClientsRealServerTest, MonitoringShowsEveryBotWithItsSlotAndKickAndBanHold)
{
    open();
    for (const char* line : {"addbot Sarge 2", "addbot Major 3", "addbot Angelyss 1 red 0 \"^2Green Angel\""})
        window->ConsoleOut(line);
    ASSERT_TRUE(waitForQt([&] { return count("ClientBegin: 2\r\n") > 0; }, 30000)) << serverOutput();
    QTest::mouseClick(window->findChild<QCheckBox*>("chkClient"), Qt::LeftButton);
    auto* list = window->findChild<QListWidget*>("lstClients");
    ASSERT_TRUE(waitForQt(
        [&] { return rosterSlot("Sarge") == 0 && rosterSlot("Major") == 1 && rosterSlot("Green Angel") == 2; }, 20000))
        << list->count() << "\n"
        << serverOutput();
    EXPECT_EQ(list->count(), 3);
    const QString pictures = qEnvironmentVariable("RAVELIN_SCREENSHOT_DIR");
    if (!pictures.isEmpty()) {
        window->imgTab_Click(5);
        window->grab().save(pictures + "/clients-page-openarena.png");
    }

    list->setCurrentRow(rosterIndex("Major"));
    click("cmdKickClient");
    ASSERT_TRUE(waitForQt([&] { return rosterIndex("Major") < 0; }, 20000));
    EXPECT_NE(serverOutput().find("Major was kicked"), std::string::npos);

    list->setCurrentRow(rosterIndex("Sarge"));
    dialogs.queuePrompt("");
    dialogs.queuePrompt("permanent");
    click("cmdBan");
    ASSERT_TRUE(waitForQt([&] { return rosterIndex("Sarge") < 0; }, 20000));
    const std::size_t kicked = serverOutput().rfind("Sarge was kicked");
    ASSERT_NE(kicked, std::string::npos);

    // Back again: the sweep (every ten seconds) says the message and kicks.
    window->ConsoleOut("addbot Sarge 2");
    const std::string said = "console: 'Sarge' you are banned, dont let the door hit you in the ass on the way out...";
    auto at = [&](const std::string& text, std::size_t from) { return serverOutput().find(text, from); };
    ASSERT_TRUE(waitForQt([&] { return at(said, kicked) != std::string::npos; }, 40000)) << serverOutput();
    ASSERT_TRUE(waitForQt([&] { return at("Sarge was kicked", at(said, kicked)) != std::string::npos; }, 20000));
    ASSERT_TRUE(waitForQt([&] { return rosterIndex("Sarge") < 0; }, 20000));
    EXPECT_GE(rosterSlot("Green Angel"), 0);
}

// With the ban sweep off, only the connect checks kick: a banned bot added
// again after Ravelin restarts is kicked on its connect lines, and an
// address ban sits in the engine's own list (listbans), put back after a
// map load.
TEST_F(ClientsRealServerTest, ABannedBotIsKickedAtConnectAfterARestartAndAddressesGoToTheEngine)
{
    auto openWithoutSweep = [&] {
        open();
        window->findChild<QTimer*>("tmrBanned")->stop();
        ASSERT_TRUE(waitForQt([&] { return bans().engineList() == LastingBans::EngineList::Present; }, 30000));
    };
    openWithoutSweep();
    window->ConsoleOut("addbot Sarge 1");
    ASSERT_TRUE(waitForQt([&] { return !bans().players().empty(); }, 20000)) << serverOutput();
    const int slot = bans().players().begin()->first;
    bans().banPlayer(std::to_string(slot), "\"Sarge\"", "camping", 0);
    window->ConsoleOut("clientkick " + std::to_string(slot));
    ASSERT_TRUE(waitForQt([&] { return count("Sarge was kicked") == 1; }, 20000));

    window->unload();
    window.reset();
    openWithoutSweep();
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
