// The clients page's ban section offscreen: Ban Selected's questions, the
// list of bans, Unban and Change Duration through their accessible actions,
// and the ban file written under the application folder.
#include "mainwindow/BansSection.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/MainFixture.h"
#include "platform/sim/SimUdpSocket.h"
#include "support/AccessibleAudit.h"

#include <QAccessible>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace ravelin;
using namespace ravelin::test;

namespace {

// A button's press action clicks it a moment later (an animated click):
// waits until the dialogs have asked `questions` more.
void press(QPushButton* button, sim::ScriptedDialogs& dialogs, std::size_t questions)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->actionInterface(), nullptr);
    const std::size_t before = dialogs.asked().size();
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(waitForQt([&] { return dialogs.asked().size() >= before + questions; }));
}

// The socket outlives the window (TearDown ends the window first).
struct BansSectionTest : MainWindowTest {
    sim::SimUdpSocket socket;
};

} // namespace

TEST_F(BansSectionTest, BansAreListedLiftedAndChangedFromThePage)
{
    console->setServer([](sim::SimConsole& c, const std::string& line) {
        if (line == "net_port")
            c.print("\"net_port\" is:\"27961\" default:\"27960\"\n");
    });
    bridge.setSelectedConsole(console->handle());
    MainServices services{bridge, probe, settings, dialogs, appFolder.path()};
    services.udp = &socket;
    window = std::make_unique<FrmMain>(services);
    window->load();
    window->show();
    ClientsFeature& clients = window->session().clients();
    ASSERT_TRUE(waitForQt([&] { return clients.query().ServerPort() == 27961; }));
    socket.deliver(std::string("\xff\xff\xff\xff") + "statusResponse\n\\a\\b\n1 20 \"Bob\"\n", 27961);
    auto* list = window->findChild<QListWidget*>("lstClients");
    auto* bans = window->findChild<QTreeWidget*>("lvBans");
    ASSERT_TRUE(list && bans);
    EXPECT_EQ(bans->accessibleName(), "Bans");

    window->imgTab_Click(5);
    list->setCurrentRow(0);
    dialogs.queuePrompt(std::string("team\x01kill", 9));
    dialogs.queuePrompt("soon");
    dialogs.queuePrompt("3d");
    press(window->findChild<QPushButton*>("cmdBan"), dialogs, 4);
    const std::vector<std::string> asked = dialogs.askedTexts();
    ASSERT_EQ(asked.size(), 4u) << (asked.empty() ? "" : asked.back()) << list->count();
    EXPECT_EQ(asked[2], ClientAdmin::kBadDuration);
    ASSERT_EQ(bans->topLevelItemCount(), 1);
    EXPECT_EQ(bans->topLevelItem(0)->text(0), "\"Bob\"");
    EXPECT_EQ(bans->topLevelItem(0)->text(3), "team kill");
    EXPECT_TRUE(bans->topLevelItem(0)->text(4).endsWith(" UTC"));
    const std::filesystem::path file = appFolder.path() / "data" / "bans" / "localhost_27961.bans";
    ASSERT_TRUE(std::filesystem::exists(file));

    bans->topLevelItem(0)->setSelected(true);
    dialogs.queuePrompt("permanent");
    press(window->findChild<QPushButton*>("cmdBanDuration"), dialogs, 1);
    EXPECT_EQ(bans->topLevelItem(0)->text(4), "permanent");
    bans->topLevelItem(0)->setSelected(true);
    window->findChild<QPushButton*>("cmdUnban")->click();
    EXPECT_EQ(bans->topLevelItemCount(), 0);
    press(window->findChild<QPushButton*>("cmdUnban"), dialogs, 1);
    EXPECT_EQ(dialogs.askedTexts().back(), ClientAdmin::kSelectBan);

    EXPECT_TRUE(unnamedControls(window.get()).empty());

    const QString folder = qEnvironmentVariable("RAVELIN_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        clients.admin().bans().list().add(Ban{"\"Eve\"", "10.1.2.3", "AB12CD", "aimbot", 0, 1'900'000'000, {}});
        clients.admin().bans().list().add(Ban{"\"Bob\"", "", "", "spam", 0, 0, {}});
        static_cast<BansSection*>(window->findChild<QWidget*>("bansSection"))->refresh();
        QDir().mkpath(folder);
        window->grab().save(folder + "/clients-bans.png");
    }
}
