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

// A way (optDown index), whether it ends the program or reopens the list,
// and whether the server quits.
struct Way {
    int index;
    bool ends;
    bool serverQuits;
};

struct ShutdownWaysTest : HostedMainWindowTest, testing::WithParamInterface<Way> {
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

TEST_P(ShutdownWaysTest, EachWayEndsOrReturnsToTheListAndQuitsTheServerOrNot)
{
    const Way way = GetParam();
    leaveThrough(way.index);
    EXPECT_EQ(ended, way.ends ? 1 : 0);
    EXPECT_EQ(reopened, way.ends ? 0 : 1);
    EXPECT_TRUE(window->Unloading());
    if (way.serverQuits) {
        // The server quits, and its console host with it.
        EXPECT_TRUE(host.process().wait(std::chrono::seconds(20)).has_value()) << host.logText();
        return;
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(host.process().running());
    EXPECT_EQ(serverOutput().find("]QUIT"), std::string::npos);
    // Only Restore hands the console back, before the program ends.
    if (way.index == 0) {
        EXPECT_TRUE(consoleVisibleAtEnd);
    } else {
        EXPECT_FALSE(windows.isWindowVisible(host.handle()));
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, ShutdownWaysTest,
                         testing::Values(Way{0, true, false}, Way{1, false, false}, Way{2, true, true},
                                         Way{3, false, true}));
