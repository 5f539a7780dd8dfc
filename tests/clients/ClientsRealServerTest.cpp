// The players feature in the main window against Debian's OpenArena server
// in a console host, with bots for players: its STATUS table is the ioq3
// layout, its names keep colour codes, its status reply comes from its own
// port.
#include "integration/IntegrationSupport.h"
#include "mainwindow/HostedMainWindow.h"
#include "realserver/RealServerSupport.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <QCheckBox>
#include <QTest>

#include <chrono>
#include <thread>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ClientsRealServerTest : HostedMainWindowTest {
    TempDir home{"ravelin-oahome"};
    int port = 0;
    QListWidget* list = nullptr;

    void SetUp() override
    {
        if (!openArenaInstalled())
            GTEST_SKIP() << "openarena-server not installed";
        port = freeUdpPort();
        ASSERT_TRUE(host.start(openArenaCommand(home.path(), port, {"+set", "bot_enable", "1"}))) << host.logText();
        bridge.setSelectedConsole(host.handle());
        ASSERT_TRUE(waitForQt([&] { return output().find("InitGame:") != std::string::npos; }, 60000)) << output();
        openWindow();
        ASSERT_TRUE(waitForQt([&] { return clients().query().ServerPort() == port; }, 30000)) << output();
        list = window->findChild<QListWidget*>("lstClients");
    }

    std::string output() { return bridge.ReadConsoleOutputOf(host.handle()); }
    ClientsFeature& clients() { return window->session().clients(); }
    int indexOf(const std::string& name)
    {
        const auto& rows = clients().roster().rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].size() > name.size() + 2
                && rows[i].substr(rows[i].size() - name.size() - 2) == "\"" + name + "\"")
                return static_cast<int>(i);
        return -1;
    }
    // The slot shown for this player, -1 while none is (or no row).
    int slotOf(const std::string& name)
    {
        const int i = indexOf(name);
        if (i < 0)
            return -1;
        const std::string slot = clients().roster().rows()[static_cast<std::size_t>(i)].substr(0, 3);
        return slot[0] == ' ' ? -1 : std::stoi(slot);
    }
    void addBots(const std::vector<std::string>& lines, const std::string& lastBegin)
    {
        for (const std::string& line : lines)
            window->ConsoleOut(line);
        ASSERT_TRUE(waitForQt([&] { return output().find(lastBegin) != std::string::npos; }, 30000)) << output();
    }
    void click(const char* name) { QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton); }
};

} // namespace

TEST_F(ClientsRealServerTest, MonitoringShowsEveryBotWithItsSlotAndKickAndBanHold)
{
    addBots({"addbot Sarge 2", "addbot Major 3", "addbot Angelyss 1 red 0 \"^2Green Angel\""}, "ClientBegin: 2\r\n");
    QTest::mouseClick(window->findChild<QCheckBox*>("chkClient"), Qt::LeftButton);
    ASSERT_TRUE(
        waitForQt([&] { return slotOf("Sarge") == 0 && slotOf("Major") == 1 && slotOf("Green Angel") == 2; }, 20000))
        << list->count() << "\n"
        << output();
    EXPECT_EQ(list->count(), 3);
    const QString pictures = qEnvironmentVariable("RAVELIN_SCREENSHOT_DIR");
    if (!pictures.isEmpty()) {
        window->imgTab_Click(5);
        window->grab().save(pictures + "/clients-page-openarena.png");
    }

    list->setCurrentRow(indexOf("Major"));
    click("cmdKickClient");
    ASSERT_TRUE(waitForQt([&] { return indexOf("Major") < 0; }, 20000));
    EXPECT_NE(output().find("Major was kicked"), std::string::npos);

    list->setCurrentRow(indexOf("Sarge"));
    dialogs.queuePrompt("");
    dialogs.queuePrompt("permanent");
    click("cmdBan");
    ASSERT_TRUE(waitForQt([&] { return indexOf("Sarge") < 0; }, 20000));
    const std::size_t kicked = output().rfind("Sarge was kicked");
    ASSERT_NE(kicked, std::string::npos);

    // Back again: the sweep (every ten seconds) says the message and kicks.
    window->ConsoleOut("addbot Sarge 2");
    const std::string said = "console: 'Sarge' you are banned, dont let the door hit you in the ass on the way out...";
    ASSERT_TRUE(waitForQt([&] { return output().find(said, kicked) != std::string::npos; }, 40000)) << output();
    ASSERT_TRUE(waitForQt(
        [&] { return output().find("Sarge was kicked", output().find(said, kicked)) != std::string::npos; }, 20000));
    ASSERT_TRUE(waitForQt([&] { return indexOf("Sarge") < 0; }, 20000));
    EXPECT_GE(slotOf("Green Angel"), 0);
}
