// The cvars page and the command line in the real window, offscreen, over
// a console whose server is q3sim's own engine running in this process:
// the dump is q3sim's, written where q3sim writes it.
#include "MainFixture.h"

#include "mainwindow/FrmSetVar.h"
#include "q3sim/Server.h"

#include <QApplication>
#include <QLabel>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct CvarsPageTest : MainWindowTest {
    TempDir base{"ravelin-q3base"};
    std::unique_ptr<q3sim::Server> server;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        server = std::make_unique<q3sim::Server>([this](const std::string& line) { console->print(line + "\n"); }, 7,
                                                 base.path().string());
        server->finishStartupSets();
        server->spawnMap("q3dm17");
        console->setServer([this](sim::SimConsole&, const std::string& line) { server->executeText(line + "\n"); });
    }

    QTreeWidget* table() { return child<QTreeWidget>("lvCVars"); }

    void clickCvarsTab() { QTest::mouseClick(window->imgTab(kCvarsTab), Qt::LeftButton); }

    std::vector<std::string> column(int c)
    {
        std::vector<std::string> out;
        for (int i = 0; i < table()->topLevelItemCount(); ++i)
            out.push_back(table()->topLevelItem(i)->text(c).toStdString());
        return out;
    }

    QTreeWidgetItem* row(const QString& key)
    {
        auto found = table()->findItems(key, Qt::MatchExactly, 0);
        return found.isEmpty() ? nullptr : found.first();
    }

    void clickHeader(int section)
    {
        QHeaderView* header = table()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
    }
};

bool sortedCaseFree(std::vector<std::string> values, bool ascending)
{
    for (auto& v : values)
        for (char& c : v)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ascending ? std::is_sorted(values.begin(), values.end()) : std::is_sorted(values.rbegin(), values.rend());
}

} // namespace

TEST_F(CvarsPageTest, TheCvarsTabFillsTheTableWhichSortsReloadsSearchesAndEditsARow)
{
    server->executeText("set sv_hostname \"My Arena Server\"\n");
    openWindow();
    EXPECT_TRUE(columnsLineUp(table()->font())) << QFontInfo(table()->font()).family().toStdString();
    EXPECT_EQ(table()->headerItem()->text(0) + "|" + table()->headerItem()->text(1), "Key|Value");
    EXPECT_FALSE(table()->isSortingEnabled()) << "the logic sorts once per fill";

    clickCvarsTab();
    ASSERT_TRUE(waitForQt([&] { return table()->topLevelItemCount() > 200; })) << table()->topLevelItemCount();
    ASSERT_NE(row("sv_hostname"), nullptr);
    EXPECT_EQ(row("sv_hostname")->text(1), "My Arena Server");
    EXPECT_TRUE(sortedCaseFree(column(0), true));
    EXPECT_FALSE(std::filesystem::exists(base.path() / "ravelin_tmp.cfg"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is gone";

    clickHeader(1);
    EXPECT_TRUE(sortedCaseFree(column(1), true));
    clickHeader(1);
    EXPECT_TRUE(sortedCaseFree(column(1), false));
    EXPECT_EQ(std::pair(table()->header()->sortIndicatorSection(), table()->header()->sortIndicatorOrder()),
              std::pair(1, Qt::DescendingOrder));

    // A reload (the tab clicked again) replaces the rows and keeps the order.
    server->executeText("set sv_hostname \"Renamed\"\n");
    clickCvarsTab();
    ASSERT_TRUE(waitForQt([&] { return row("sv_hostname") && row("sv_hostname")->text(1) == "Renamed"; }));
    EXPECT_TRUE(sortedCaseFree(column(1), false));
    EXPECT_EQ(table()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    clickHeader(0);
    EXPECT_TRUE(sortedCaseFree(column(0), true));

    // Typing in the table searches by name; the dialog on a row applies the
    // exact line, and Cancel sends nothing.
    auto* txtFind = child<QLineEdit>("txtFind");
    EXPECT_FALSE(txtFind->isVisible());

    QTest::keyClick(table(), Qt::Key_S);
    EXPECT_TRUE(txtFind->isVisible());
    EXPECT_EQ(txtFind->text(), "s");
    QTest::keyClicks(txtFind, "V_HOST");
    QTest::keyClick(txtFind, Qt::Key_Return);
    EXPECT_FALSE(txtFind->isVisible());
    ASSERT_EQ(table()->selectedItems().size(), 1);
    EXPECT_EQ(table()->selectedItems().first()->text(0), "sv_hostname");

    QTest::keyClick(table(), Qt::Key_Z);
    QTest::keyClicks(txtFind, "zz");
    QTest::keyClick(txtFind, Qt::Key_Return);
    EXPECT_EQ(dialogs.askedTexts(), std::vector<std::string>{"Item not found"});
    EXPECT_EQ(table()->selectedItems().first()->text(0), "sv_hostname") << "the selection stays";

    QTreeWidgetItem* item = row("sv_hostname");
    table()->setCurrentItem(item);
    table()->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    const QPoint at = table()->visualItemRect(item).center();
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, at);

    std::string seen;
    onModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Set Variable");
        EXPECT_EQ(dialog->findChild<QComboBox*>("cboMode")->currentText(), "Set");
        EXPECT_EQ(dialog->findChild<QLineEdit*>("txtVar")->text(), "sv_hostname");
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdDefault"), Qt::LeftButton);
        seen = dialog->findChild<QLineEdit*>("txtVal")->text().toStdString();
        dialog->findChild<QLineEdit*>("txtVal")->setText("Edited  Arena");
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdApply"), Qt::LeftButton);
    });
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(seen, "noname") << "Get Default asked the server";
    EXPECT_EQ(console->entered().back(), "Set \"sv_hostname\" \"Edited  Arena\"");
    EXPECT_EQ(server->cvars().value("sv_hostname"), "Edited  Arena");
    EXPECT_EQ(row("sv_hostname")->text(1), "Edited  Arena");

    // A refused value leaves the dialog open; Cancel then sends nothing.
    const std::size_t sent = console->entered().size();
    onModal([&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("txtVal")->setText("x\";quit");
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdApply"), Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible());
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
    });
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, at);
    // Our message box closing is an activation (it may probe net_port), but
    // no set command went out.
    for (std::size_t i = sent; i < console->entered().size(); ++i)
        EXPECT_EQ(console->entered()[i].rfind("Set", 0), std::string::npos) << console->entered()[i];
    EXPECT_EQ(dialogs.askedTexts(), (std::vector<std::string>{"Item not found", SetVarForm::kUnsafeValue}));
    EXPECT_FALSE(server->quitRequested());
}

// The box's keys, popups and switches reach the command line's logic (whose
// rules CommandLineTest checks): one case each.
TEST_F(CvarsPageTest, TheCommandLineBoxDrivesTheCommandLine)
{
    openWindow();
    auto* txtOut = child<QLineEdit>("txtOut");
    txtOut->setFocus();
    QApplication::processEvents();

    QTest::keyClicks(txtOut, "se");
    EXPECT_EQ(txtOut->text(), "seta");
    EXPECT_EQ(txtOut->selectedText(), "ta");
    QTest::keyClick(txtOut, Qt::Key_Backspace);
    EXPECT_EQ(txtOut->text(), "s");

    txtOut->setText("echo one");
    QTest::keyClick(txtOut, Qt::Key_Return);
    EXPECT_EQ(txtOut->text(), "");
    EXPECT_EQ(console->entered().back(), "echo one");
    QTest::keyClick(txtOut, Qt::Key_Up);
    EXPECT_EQ(txtOut->text(), "echo one");
    QTest::keyClick(txtOut, Qt::Key_Down);
    EXPECT_EQ(txtOut->text(), "");

    // The history popup recalls a line; the command list fills the box.
    auto* lstHistory = window->findChild<QListWidget*>("lstHistory");
    QTest::mouseClick(window->findChild<QToolButton*>("imgHistory"), Qt::LeftButton);
    ASSERT_TRUE(lstHistory->isVisible());
    ASSERT_EQ(lstHistory->count(), 2);
    EXPECT_EQ(lstHistory->currentRow(), 1);
    QTest::mouseClick(lstHistory->viewport(), Qt::LeftButton, {},
                      lstHistory->visualItemRect(lstHistory->item(1)).center());
    EXPECT_FALSE(lstHistory->isVisible());
    EXPECT_EQ(txtOut->text(), "echo one");
    auto* lstCmd = window->findChild<QListWidget*>("lstCmd");
    QTest::mouseClick(window->findChild<QToolButton*>("imgCommands"), Qt::LeftButton);
    ASSERT_TRUE(lstCmd->isVisible());
    QTest::mouseClick(lstCmd->viewport(), Qt::LeftButton, {}, lstCmd->visualItemRect(lstCmd->item(2)).center());
    EXPECT_FALSE(lstCmd->isVisible());
    EXPECT_EQ(txtOut->text(), "status");

    // The switches on the options page: stored at once, obeyed at once.
    EXPECT_TRUE(child<QCheckBox>("chkIntel")->isChecked());
    window->imgTab_Click(4);
    for (const char* name : {"chkIntel", "chkDoskey"})
        QTest::mouseClick(child<QCheckBox>(name), Qt::LeftButton);
    EXPECT_EQ(settings.getSetting(kSettingsApp, "Settings", "Intellisense", ""), "0");
    EXPECT_EQ(settings.getSetting(kSettingsApp, "Settings", "DosKey", ""), "0");
    txtOut->clear();
    QTest::keyClicks(txtOut, "se");
    EXPECT_EQ(txtOut->text(), "se");
    txtOut->setText("");
    QTest::keyClick(txtOut, Qt::Key_Up);
    EXPECT_EQ(txtOut->text(), "");
}
