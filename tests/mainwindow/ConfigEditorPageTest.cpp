// The editor page offscreen, on real files and a server that answers from a
// short cvar list: open a file, edit it, complete a cvar name, save it (the
// backup kept, a file changed on disk not overwritten without asking), and
// every control named for assistive technology.
#include "QtTestApp.h"
#include "mainwindow/ConfigEditorPage.h"
#include "mainwindow/ConfigTextEdit.h"
#include "platform/sim/SimServices.h"
#include "support/AccessibleAudit.h"
#include "support/TestEnvironment.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ConfigEditorPageTest : testing::Test {
    TempDir dir{"ravelin-editor"};
    std::filesystem::path folder = dir.path() / "baseq3";
    // Latin-1 bytes, a no-break space, CR LF and no final line end.
    const std::string original = "// caf\xe9\xa0\r\nseta sv_hostname \"Old\"\r\ng_gametype 0";
    sim::ScriptedDialogs dialogs;
    std::vector<std::string> commands;
    ConfigEditor editor{ConfigEditorServices{
        dialogs,
        [this] {
            return ServerFolders{dir.path().string(), dir.path().string(), "", ""};
        },
        {},
        [this](const std::string& command) {
            commands.push_back(command);
            if (command == "cvarlist")
                return CommandOutput{true, {"S     A  sv_hostname \"Old\"", "S   L  A g_gametype \"0\""}, {}};
            return CommandOutput{true, {}, {}};
        }}};
    QWidget page;
    ConfigEditorPage* view = nullptr;

    void SetUp() override
    {
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "server.cfg", std::ios::binary) << original;
        page.resize(724, 480);
        view = new ConfigEditorPage(editor, &page);
        page.show();
        page.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page)); // the page's shortcuts need it
        editor.pageShown();
        ASSERT_EQ(view->lstFiles()->count(), 1);
        QListWidgetItem* item = view->lstFiles()->item(0);
        QTest::mouseClick(view->lstFiles()->viewport(), Qt::LeftButton, {},
                          view->lstFiles()->visualItemRect(item).center());
        ASSERT_FALSE(editor.openPathName().empty());
    }

    void save()
    {
        view->txtConfig()->setFocus();
        QTest::keyClick(view->txtConfig(), Qt::Key_S, Qt::ControlModifier);
    }
};

} // namespace

TEST_F(ConfigEditorPageTest, AnEditCompletedAndSavedChangesOnlyItsLineAndKeepsTheBackupAndEveryControlIsNamed)
{
    ConfigTextEdit* text = view->txtConfig();
    save(); // nobody edited it: byte for byte
    EXPECT_EQ(readFile(folder / "server.cfg"), original);

    text->goToLine(2);
    QTest::keyClicks(text, "sv_ho");
    QAbstractItemView* popup = text->completer()->popup();
    ASSERT_TRUE(waitForQt([&] { return popup->isVisible(); }));
    EXPECT_EQ(popup->currentIndex().data().toString(), "sv_hostname");
    QTest::keyClick(popup, Qt::Key_Return);
    QTest::keyClicks(text, " \"New\" ; banana 1");
    QTest::keyClick(text, Qt::Key_Return);
    ASSERT_TRUE(waitForQt([&] { return view->lstProblems()->count() == 2; }));
    EXPECT_TRUE(view->lstProblems()->item(0)->text().startsWith("3: The server knows no command or cvar banana"))
        << view->lstProblems()->item(0)->text().toStdString();
    EXPECT_TRUE(view->lstProblems()->item(1)->text().startsWith("4: g_gametype is latched"))
        << view->lstProblems()->item(1)->text().toStdString();

    save();
    EXPECT_EQ(readFile(folder / "server.cfg"),
              "// caf\xe9\xa0\r\nseta sv_hostname \"Old\"\r\nsv_hostname \"New\" ; banana 1\r\ng_gametype 0");
    EXPECT_EQ(readFile(folder / "server.cfg.bak"), original);
    EXPECT_EQ(commands, (std::vector<std::string>{"cvarlist", "cmdlist"}));

    // Undo takes the edit back.
    QTest::mouseClick(view->findChild<QPushButton*>("cmdUndo"), Qt::LeftButton);
    EXPECT_NE(text->lines().at(2), "sv_hostname \"New\" ; banana 1");

    // Replace All, and every control named.
    view->findChild<QLineEdit*>("txtFindText")->setText("Old");
    view->findChild<QLineEdit*>("txtReplaceText")->setText("Renamed");
    QTest::mouseClick(view->findChild<QPushButton*>("cmdReplaceAll"), Qt::LeftButton);
    EXPECT_EQ(view->txtConfig()->lines().at(1), "seta sv_hostname \"Renamed\"");
    EXPECT_EQ(unnamedControls(&page), std::vector<std::string>());
}

TEST_F(ConfigEditorPageTest, AFileChangedOnDiskIsOverwrittenOnlyWhenTheOperatorSaysSo)
{
    std::ofstream(folder / "server.cfg", std::ios::binary) << "changed elsewhere\n";
    QTest::keyClicks(view->txtConfig(), "set a 1 ");
    dialogs.queueAnswer(Dialogs::Answer::No);
    save();
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_NE(dialogs.asked()[0].text.find("has changed on disk"), std::string::npos);
    EXPECT_EQ(readFile(folder / "server.cfg"), "changed elsewhere\n");

    dialogs.queueAnswer(Dialogs::Answer::Yes);
    save();
    EXPECT_EQ(readFile(folder / "server.cfg").substr(0, 8), "set a 1 ");
    EXPECT_EQ(readFile(folder / "server.cfg.bak"), "changed elsewhere\n");
}

TEST_F(ConfigEditorPageTest, ExecSavesFirstAndAsksBeforeRunningAFileThatStopsTheServer)
{
    view->txtConfig()->setFocus();
    QTest::keyClicks(view->txtConfig(), "quit;");
    dialogs.queueAnswer(Dialogs::Answer::Yes); // save first
    dialogs.queueAnswer(Dialogs::Answer::Yes); // save a file that stops the server
    dialogs.queueAnswer(Dialogs::Answer::No); // but do not run it
    QTest::mouseClick(view->findChild<QPushButton*>("cmdExec"), Qt::LeftButton);
    ASSERT_EQ(dialogs.asked().size(), 3u);
    EXPECT_NE(dialogs.asked()[2].text.find("line 1: This line stops the server (quit)"), std::string::npos);
    EXPECT_NE(dialogs.asked()[2].text.find("Run it on the server anyway?"), std::string::npos);
    EXPECT_EQ(readFile(folder / "server.cfg").substr(0, 5), "quit;");
    EXPECT_EQ(commands.back(), "cmdlist");

    dialogs.queueAnswer(Dialogs::Answer::Yes);
    QTest::mouseClick(view->findChild<QPushButton*>("cmdExec"), Qt::LeftButton);
    EXPECT_EQ(commands.back(), "exec server.cfg");
}
