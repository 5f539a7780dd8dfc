// Leaving a real console host through each of the shutdown dialog's ways:
// ravelin-console running q3sim, the main window on it, the dialog driven
// as the operator would.
#include "HostedMainWindow.h"

#include "mainwindow/FrmShutdown.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ShutdownWaysTest : HostedMainWindowTest {
    int ended = 0;
    int reopened = 0;
    bool consoleVisibleAtEnd = false;

    void SetUp() override
    {
        endProgram = [this] {
            ++ended;
            consoleVisibleAtEnd = windows.isWindowVisible(host.handle());
        };
        reopenStartWindow = [this] { ++reopened; };
        startServerAndWindow({"+set", "sv_hostname", "Leaving Arena", "+set", "net_port", "0"});
        ASSERT_TRUE(waitForQt([&] { return window->activations() == 1; }));
        // Hidden, as connecting left it.
        bridge.ShowConsoleOf(false, host.handle());
        ASSERT_TRUE(waitForQt([&] { return !windows.isWindowVisible(host.handle()); }));
    }

    // Opens the dialog with the quit image, picks the way and presses Ok.
    void leaveThrough(int way)
    {
        QTimer::singleShot(0, [way] { pick(way); });
        QTest::mouseClick(window->findChild<QToolButton*>("imgQuit"), Qt::LeftButton);
    }

    static void pick(int way)
    {
        auto* dialog = qobject_cast<FrmShutdown*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(5, [way] { pick(way); });
            return;
        }
        dialog->findChild<QRadioButton*>(QStringLiteral("optDown%1").arg(way))->setChecked(true);
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
    }
};

} // namespace

TEST_F(ShutdownWaysTest, RestoreHandsTheConsoleBackAndEndsWithTheServerRunning)
{
    leaveThrough(0);
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(consoleVisibleAtEnd) << "shown before the program ends";
    EXPECT_TRUE(window->Unloading());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(host.process().running());
    EXPECT_EQ(reopened, 0);
    EXPECT_EQ(serverOutput().find("]QUIT"), std::string::npos);
}

TEST_F(ShutdownWaysTest, SelectServerReturnsToTheListLeavingTheServerAlone)
{
    leaveThrough(1);
    EXPECT_EQ(reopened, 1);
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(window->Unloading());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(windows.isWindowVisible(host.handle()));
    EXPECT_TRUE(host.process().running());
    EXPECT_EQ(serverOutput().find("]QUIT"), std::string::npos);
}

TEST_F(ShutdownWaysTest, ShutdownEndsTheServerAndTheProgram)
{
    leaveThrough(2);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(reopened, 0);
    EXPECT_TRUE(window->Unloading());
    // The server quits, and its console host with it.
    EXPECT_TRUE(host.process().wait(std::chrono::seconds(20)).has_value()) << host.logText();
}

TEST_F(ShutdownWaysTest, ShutdownAndSelectEndsTheServerAndReturnsToTheList)
{
    leaveThrough(3);
    EXPECT_EQ(reopened, 1);
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(window->Unloading());
    EXPECT_TRUE(host.process().wait(std::chrono::seconds(20)).has_value()) << host.logText();
}
