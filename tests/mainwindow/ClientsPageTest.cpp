// The clients page and the filter controls offscreen: the roster shown in
// columns under its header, the buttons wired to the logic, the ban section.
#include "mainwindow/ClientsPage.h"
#include "mainwindow/MainFixture.h"
#include "platform/sim/SimUdpSocket.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ClientsPageTest : MainWindowTest {
    sim::SimUdpSocket socket;

    FrmMain& makeWindowWithSocket()
    {
        MainServices services = this->services();
        services.udp = &socket;
        return openWindow(std::move(services));
    }
    void reply(const std::string& players)
    {
        socket.deliver(std::string("\xff\xff\xff\xff") + "statusResponse\n\\a\\b\n" + players, 27960);
    }
};

// A button's press action clicks it a moment later (an animated click):
// waits until the dialogs have asked `questions` more.
void press(QPushButton* button, sim::ScriptedDialogs& dialogs, std::size_t questions)
{
    const std::size_t before = dialogs.asked().size();
    QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(waitForQt([&] { return dialogs.asked().size() >= before + questions; }));
}

// Where each blank-separated word of the header starts.
std::vector<int> headerColumns()
{
    const std::string header = ClientsPage::kHeader;
    std::vector<int> at;
    for (std::size_t i = 0; i < header.size(); ++i)
        if (header[i] != ' ' && (i == 0 || header[i - 1] == ' '))
            at.push_back(static_cast<int>(i));
    return at;
}

} // namespace

TEST_F(ClientsPageTest, RowsLineUpUnderTheHeaderInAFixedPitchFontAndTheFilterStartsOff)
{
    EXPECT_EQ(headerColumns(), (std::vector<int>{0, 7, 14, 21}));
    const std::string rows[] = {
        "3  \t12   \t50  \t\"Bob\"",
        "   \t-5   \t999 \t\"Two Words\"",
        "100\t12345\t9999\t\"^9x\"",
    };
    for (const std::string& row : rows) {
        const QString shown = ClientsPage::shownRow(row);
        EXPECT_FALSE(shown.contains('\t'));
        EXPECT_EQ(shown.indexOf('"'), 21) << shown.toStdString();
        EXPECT_EQ(shown.mid(7, 5).trimmed(), QString::fromStdString(row.substr(4, 5)).trimmed());
    }
    // Text without TABs (a script's row) is shown as it is.
    EXPECT_EQ(ClientsPage::shownRow("free text"), "free text");

    makeWindowWithSocket();
    auto* list = child<QListWidget>("lstClients");
    auto* header = child<QLabel>("Label22");
    EXPECT_EQ(header->text(), ClientsPage::kHeader);
    EXPECT_TRUE(columnsLineUp(list->font())) << QFontInfo(list->font()).family().toStdString();
    EXPECT_EQ(list->font(), header->font());
    EXPECT_EQ(list->accessibleName(), "Clients");

    // The filter controls start off, with Mild chosen.
    auto* chkLang = child<QCheckBox>("chkLang");
    EXPECT_EQ(chkLang->text(), "Language Filter");
    EXPECT_FALSE(chkLang->isChecked());
    EXPECT_FALSE(child<QGroupBox>("frLang")->isEnabled());
    const char* captions[] = {"Mild", "Strong", "Biblical"};
    for (int i = 0; i < 3; ++i) {
        auto* option = child<QRadioButton>(QStringLiteral("optLang%1").arg(i));
        EXPECT_EQ(option->text(), captions[i]);
        EXPECT_FALSE(option->isEnabled());
        EXPECT_EQ(option->isChecked(), i == 0);
    }
    EXPECT_EQ(child<QLabel>("Label6")->text(), "You can add more filters by editing Q3A_ConsoleExec.q3s");
}

TEST_F(ClientsPageTest, ThePageShowsTheRosterAndItsButtonsReachTheLogic)
{
    FrmMain& w = makeWindowWithSocket();
    ASSERT_TRUE(waitForQt([&] { return w.session().clients().query().ServerPort() == 27960; }));
    auto* list = child<QListWidget>("lstClients");
    auto* chkClient = child<QCheckBox>("chkClient");
    EXPECT_EQ(chkClient->text(), "Enable Client Monitoring (Requires UDP)");
    EXPECT_FALSE(chkClient->isChecked());
    EXPECT_FALSE(timer("tmrClient")->isActive());

    QTest::mouseClick(chkClient, Qt::LeftButton);
    EXPECT_TRUE(timer("tmrClient")->isActive());
    ASSERT_EQ(socket.sent.size(), 1u);

    reply("1 20 \"Bob\"\n2 30 \"Eve\"\n");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "       1      20     \"Bob\"");
    EXPECT_EQ(list->item(1)->text(), "       2      30     \"Eve\"");

    list->setCurrentRow(1);
    dialogs.queuePrompt("");
    dialogs.queuePrompt("permanent");
    QTest::mouseClick(child<QPushButton>("cmdBan"), Qt::LeftButton);
    EXPECT_EQ(console->entered().back(), "Kick \"Eve\"");
    QTest::mouseClick(child<QPushButton>("cmdCIDUpdate"), Qt::LeftButton);
    EXPECT_EQ(console->entered().back(), "STATUS");

    // The kicked player leaves: nothing is selected, so a second Kick
    // cannot throw out whoever moved up into the row.
    reply("1 20 \"Bob\"\n");
    w.session().tmrClient_Timer();
    EXPECT_EQ(list->count(), 1);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    const auto kicks = console->entered().size();
    QTest::mouseClick(child<QPushButton>("cmdKickClient"), Qt::LeftButton);
    EXPECT_EQ(console->entered().size(), kicks);
    // Another player leaving keeps the selection on its player.
    reply("1 20 \"Bob\"\n3 5 \"Ann\"\n");
    list->setCurrentRow(1);
    reply("3 5 \"Ann\"\n");
    w.session().tmrClient_Timer();
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().front()->text(), "       3      5      \"Ann\"");

    QTest::mouseClick(chkClient, Qt::LeftButton);
    EXPECT_FALSE(timer("tmrClient")->isActive());
    EXPECT_EQ(list->count(), 1) << "switching monitoring off keeps the rows";
}

// The ban section: Ban Selected's questions, the list of bans, Unban and
// Change Duration through their accessible actions, and the ban file.
TEST_F(ClientsPageTest, BansAreListedLiftedAndChangedFromThePage)
{
    makeWindowWithSocket();
    ASSERT_TRUE(waitForQt([&] { return window->session().clients().query().ServerPort() == 27960; }));
    reply("1 20 \"Bob\"\n");
    auto* list = child<QListWidget>("lstClients");
    auto* bans = child<QTreeWidget>("lvBans");
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
    const std::filesystem::path file = appFolder.path() / "data" / "bans" / "localhost_27960.bans";
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
}
