// The cvars tab on the real OpenArena server in a console host: the main
// window learns where that engine writes, fills the table from its dump,
// and an edit of sv_hostname through the dialog changes the server.
#include "integration/IntegrationSupport.h"
#include "mainwindow/HostedMainWindow.h"
#include "realserver/RealServerSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct CvarsRealServerTest : HostedMainWindowTest {
    TempDir home{"ravelin-oahome"};

    void SetUp() override
    {
        if (!openArenaInstalled())
            GTEST_SKIP() << "openarena-server not installed";
        ASSERT_TRUE(
            startOpenArena(host, bridge, home.path(), freeUdpPort(), {"+set", "sv_hostname", "Real ^1Arena^7 Test"}))
            << host.logText() << output();
        openWindow();
        ASSERT_TRUE(waitForQt([&] { return window->activations() == 1; }));
    }

    std::string output() { return bridge.ReadConsoleOutputOf(host.handle()); }
    QTreeWidget* table() { return window->findChild<QTreeWidget*>("lvCVars"); }
    QTreeWidgetItem* row(const QString& key)
    {
        auto found = table()->findItems(key, Qt::MatchExactly, 0);
        return found.isEmpty() ? nullptr : found.first();
    }
};

} // namespace

TEST_F(CvarsRealServerTest, TheTableFillsFromTheDumpAndAnEditRenamesTheServer)
{
    const std::filesystem::path dump = home.path() / "baseoa" / "ravelin_tmp.cfg";
    EXPECT_EQ(window->session().cvars().dumpTarget().command, "WRITECONFIG ravelin_tmp.cfg");
    EXPECT_EQ(window->session().cvars().dumpTarget().file, dump);

    QTest::mouseClick(window->imgTab(kCvarsTab), Qt::LeftButton);
    ASSERT_TRUE(waitForQt([&] { return table()->topLevelItemCount() > 100; }, 20000)) << output();
    ASSERT_NE(row("sv_hostname"), nullptr);
    // The file keeps the colour codes the console window strips.
    EXPECT_EQ(row("sv_hostname")->text(1), "Real ^1Arena^7 Test");
    EXPECT_NE(row("g_mappools"), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dump));
    EXPECT_EQ(output().find("refusing"), std::string::npos);
    EXPECT_TRUE(dialogs.asked().empty());
    std::printf("rows from OpenArena's dump: %d\n", table()->topLevelItemCount());

    QTreeWidgetItem* item = row("sv_hostname");
    table()->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    const QPoint at = table()->visualItemRect(item).center();
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, at);
    std::string current;
    onModal([&](QWidget* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdGetCurVal"), Qt::LeftButton);
        current = dialog->findChild<QLineEdit*>("txtVal")->text().toStdString();
        dialog->findChild<QLineEdit*>("txtVal")->setText("Ravelin Renamed Arena");
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdApply"), Qt::LeftButton);
    });
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(current, "Real Arena Test") << "the console's answer, codes stripped";
    EXPECT_EQ(row("sv_hostname")->text(1), "Ravelin Renamed Arena");

    // The server has it: a reload shows the server's own value.
    ASSERT_TRUE(waitForQt(
        [&] { return output().find("]Set \"sv_hostname\" \"Ravelin Renamed Arena\"") != std::string::npos; }));
    QTest::mouseClick(window->imgTab(kCvarsTab), Qt::LeftButton);
    ASSERT_TRUE(waitForQt([&] { return !window->session().cvars().dumpRunning(); }, 20000));
    ASSERT_NE(row("sv_hostname"), nullptr);
    EXPECT_EQ(row("sv_hostname")->text(1), "Ravelin Renamed Arena");
}
