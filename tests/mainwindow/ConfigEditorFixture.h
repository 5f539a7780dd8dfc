// The editor page in a main window on a real console host (q3sim or the
// OpenArena server): the steps an operator takes, shared by the tests on
// both servers. The server is started with "+exec server.cfg" from its
// game folder; the program reads that from the server's command line.
#pragma once

#include "mainwindow/ConfigEditorPage.h"
#include "mainwindow/ConfigTextEdit.h"
#include "mainwindow/HostedMainWindow.h"
#include "platform/linux/ProcessArguments.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include <fstream>

namespace ravelin::test {

struct ConfigEditorFixture : HostedMainWindowTest {
    // CR LF line ends, a trailing blank and no final line end survive the save.
    const std::string original = "// test server \r\nseta sv_hostname \"Before\"\r\nset g_motd \"hi\"";

    ConfigEditorFixture()
    {
        serverArguments = [this] { return processArguments(windows.serverPid(host.handle())); };
    }

    QWidget* page() { return window->picBase(kEditorTab); }
    QListWidget* files() { return page()->findChild<QListWidget*>("lstFiles"); }
    ConfigTextEdit* text() { return page()->findChild<ConfigTextEdit*>("txtConfig"); }
    QListWidget* output() { return page()->findChild<QListWidget*>("lstExecOutput"); }
    void click(const char* button) { QTest::mouseClick(page()->findChild<QPushButton*>(button), Qt::LeftButton); }

    // The editor tab, then server.cfg (marked as the start-up file) opened.
    void openServerCfg()
    {
        QTest::mouseClick(window->imgTab(kEditorTab), Qt::LeftButton);
        const auto found = files()->findItems("server.cfg  (+exec)", Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << "files listed: " << files()->count();
        QTest::mouseClick(files()->viewport(), Qt::LeftButton, {}, files()->visualItemRect(found.first()).center());
        ASSERT_TRUE(waitForQt([&] { return text()->lines().size() == 3; }, 20000));
    }

    // Renames the server on line 2 and adds a command the server lacks.
    void editAndSave(const std::filesystem::path& file, const std::string& name)
    {
        QTextCursor cursor(text()->document()->findBlockByNumber(1));
        cursor.select(QTextCursor::LineUnderCursor);
        cursor.insertText(QString::fromStdString("seta sv_hostname \"" + name + "\""));
        text()->setFocus();
        text()->moveCursor(QTextCursor::End);
        QTest::keyClick(text(), Qt::Key_Return);
        QTest::keyClicks(text(), "banana 3");
        click("cmdSave");
        EXPECT_EQ(readFile(file),
                  "// test server \r\nseta sv_hostname \"" + name + "\"\r\nset g_motd \"hi\"\r\nbanana 3");
        EXPECT_EQ(readFile(file.string() + ".bak"), original);
    }

    // Exec on server: the server's line about banana points at line 4.
    void execAndFindTheUnknownCommand(const QString& report)
    {
        click("cmdExec");
        QListWidgetItem* unknown = nullptr;
        ASSERT_TRUE(waitForQt(
            [&] {
                const auto found = output()->findItems(report, Qt::MatchContains);
                unknown = found.isEmpty() ? nullptr : found.first();
                return unknown != nullptr;
            },
            20000))
            << serverOutput();
        EXPECT_EQ(unknown->data(Qt::UserRole).toInt(), 3);
        EXPECT_TRUE(unknown->text().startsWith("4: "));
        output()->setCurrentItem(unknown);
        emit output()->itemActivated(unknown);
        EXPECT_EQ(text()->textCursor().blockNumber(), 3);
    }
};

} // namespace ravelin::test
