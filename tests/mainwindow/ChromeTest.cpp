// The main window's own frame offscreen: caption, the title's drag, hiding
// where there is no tray, the mode buttons and the tray animation; the sys
// page filled by the monitor's ticks; the shutdown dialog's controls.
#include "MainFixture.h"

#include "mainwindow/FrmShutdown.h"
#include "mainwindow/MonitorChart.h"
#include "mainwindow/SysPage.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolButton>

using namespace ravelin;
using ravelin::test::MainWindowTest;
using ravelin::test::onModal;
using ravelin::test::waitForQt;

namespace {

constexpr std::uint64_t MB = 1024 * 1024;

struct ChromeTest : MainWindowTest {
    sim::FixedMemoryInfo memory;
    int ended = 0;
    int reopened = 0;

    FrmMain& openWindow()
    {
        MainServices services = this->services();
        services.memory = &memory;
        services.endProgram = [this] { ++ended; };
        services.reopenStartWindow = [this] {
            // The window is unloaded before the start window comes back.
            EXPECT_TRUE(window->Unloading());
            ++reopened;
        };
        return MainWindowTest::openWindow(std::move(services));
    }

    void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
    {
        const QPointF local(at);
        QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
};

} // namespace

// A borderless window captioned "Q3A - Ravelin", moved by its title and
// minimised where there is no tray.
TEST_F(ChromeTest, TheTitleMovesTheWindowAndWithoutATrayHidingMinimises)
{
    FrmMain& w = openWindow();
    EXPECT_EQ(w.windowTitle(), "Q3A - Ravelin");
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_NE(w.findChild<QWidget*>("imgMode2"), nullptr) << "the third mode button, which no other test clicks";
    auto* title = w.findChild<QLabel*>("imgTitle");
    w.move(100, 100);
    ASSERT_TRUE(waitForQt([&] { return w.pos() == QPoint(100, 100); }));

    // Any button starts the drag.
    sendMouse(title, QEvent::MouseButtonPress, QPoint(50, 10), Qt::RightButton);
    EXPECT_EQ(w.systemMoveRequests(), 1);
    // The offscreen platform has no window manager to move the window, so
    // the title moves it with the mouse.
    sendMouse(title, QEvent::MouseMove, QPoint(80, 30), Qt::RightButton);
    EXPECT_EQ(w.pos(), QPoint(130, 120));
    sendMouse(title, QEvent::MouseButtonRelease, QPoint(80, 30), Qt::NoButton);
    sendMouse(title, QEvent::MouseMove, QPoint(200, 200), Qt::NoButton);
    EXPECT_EQ(w.pos(), QPoint(130, 120)) << "released: the window stays";

    // Without a tray, hiding minimises, and coming back is an activation.
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "offscreen has no tray";
    EXPECT_EQ(w.tryMain(), nullptr);
    EXPECT_EQ(w.findChild<QToolButton*>("imgMin")->toolTip(), "Minimise");

    w.findChild<QToolButton*>("imgMin")->click();
    ASSERT_TRUE(waitForQt([&] { return w.isMinimized(); }));
    EXPECT_TRUE(w.isVisible()) << "the window is never lost";
    // Timers keep running while the window is out of the way.
    EXPECT_TRUE(timer("tmrConsole")->isActive());
    EXPECT_TRUE(timer("tmrSystem")->isActive());

    timer("tmrConsole")->stop();
    w.tryMain_Restore();
    ASSERT_TRUE(waitForQt([&] { return w.activations() == 2; }));
    EXPECT_FALSE(w.isMinimized());
    EXPECT_TRUE(timer("tmrConsole")->isActive());
}

TEST_F(ChromeTest, ModeButtonsSwitchThePumpAndTheNextActivationRestartsIt)
{
    FrmMain& w = openWindow();
    auto* on = w.imgMode(0);
    auto* off = w.imgMode(1);
    EXPECT_TRUE(on->isChecked());
    const int trayFrame = w.session().tray().frame();

    QTest::mouseClick(off, Qt::LeftButton);
    EXPECT_TRUE(off->isChecked());
    EXPECT_FALSE(on->isChecked());
    EXPECT_FALSE(timer("tmrConsole")->isActive());
    console->print("while switched off\n");
    // With tmrConsole stopped no tick can come; whatever is queued runs now.
    QApplication::processEvents();
    EXPECT_EQ(w.displayText().find("while switched off"), std::string::npos);

    QTest::mouseClick(on, Qt::LeftButton);
    EXPECT_TRUE(on->isChecked());
    ASSERT_TRUE(waitForQt([&] { return w.displayText().find("while switched off\r\n") != std::string::npos; }));
    // Every display change steps the tray animation, clearing too.
    const int shownFrame = w.session().tray().frame();
    EXPECT_NE(shownFrame, trayFrame);
    QTest::mouseClick(child<QToolButton>("picClear"), Qt::LeftButton);
    EXPECT_EQ(w.displayText(), "");
    EXPECT_NE(w.session().tray().frame(), shownFrame);

    // Closing the shutdown dialog (one of ours) activates the window: the
    // pump runs again though button 1 stays highlighted.
    QTest::mouseClick(off, Qt::LeftButton);
    onModal([](QWidget* d) { d->findChild<QPushButton*>("cmdCancel")->click(); });
    QTest::mouseClick(w.findChild<QToolButton*>("imgQuit"), Qt::LeftButton);
    ASSERT_TRUE(waitForQt([&] { return w.activations() == 2; }));
    EXPECT_TRUE(timer("tmrConsole")->isActive());
    EXPECT_TRUE(off->isChecked());
    EXPECT_FALSE(w.Unloading());
    EXPECT_EQ(ended + reopened, 0);
}

TEST_F(ChromeTest, TheSysPageShowsTheMonitorsFiguresGaugesAndChart)
{
    memory.figures.memoryLoad = 37;
    memory.figures.totalPhys = 134'217'728;
    memory.figures.availPhys = 48 * MB;
    FrmMain& w = openWindow();
    w.imgTab_Click(1);
    ASSERT_TRUE(waitForQt([&] { return w.session().monitor().ticks() >= 3; }));
    EXPECT_EQ(child<QLabel>("lblUsedMem")->text(), "37% load");
    EXPECT_EQ(w.findChild<QLabel*>("lblTotalPhys")->text(), "128 MB");
    EXPECT_EQ(w.findChild<QLabel*>("lblAvailPhys")->text(), "49152 KB (62% used)");
    EXPECT_EQ(w.findChild<QLabel*>("lblTotalPageFile")->text(), "0 MB");
    EXPECT_EQ(w.findChild<QWidget*>("picMemFill1")->width(), 319) << "62.5 % of 511 pixels";
    EXPECT_EQ(w.findChild<QWidget*>("picMemFill0")->width(), 189) << "37 % of 511 pixels";
    EXPECT_EQ(w.findChild<QWidget*>("picMemFill2")->width(), 0);

    // What the page paints is the monitor's raster, pixel for pixel.
    w.findChild<QTimer*>("tmrSystem")->stop();
    auto* graph = w.findChild<QWidget*>("picRAMGraph");
    ASSERT_EQ(graph->size(), QSize(MonitorChart::kWidth, MonitorChart::kHeight));
    const QImage shown = graph->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const MonitorChart& chart = w.session().monitor().chart();
    int differing = 0;
    for (int y = 0; y < chart.height(); ++y)
        for (int x = 0; x < chart.width(); ++x)
            differing += shown.pixel(x, y) != chart.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

// The shutdown dialog's four ways, each chosen and confirmed as the operator
// does: only the shutdowns send QUIT (the dialog does, before it closes),
// only Restore hands the hidden console back, and the program ends or the
// start window returns.
TEST_F(ChromeTest, EachShutdownWayEndsOrReturnsToTheListAndQuitsTheServerOrNot)
{
    // Ends, reopens and QUITs sent for each way.
    const std::tuple<int, int, long> ways[] = {{1, 0, 0}, {0, 1, 0}, {1, 0, 1}, {0, 1, 1}};
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(way);
        ended = reopened = 0;
        FrmMain& w = openWindow();
        desktop.showWindow(console->handle(), false);
        auto quits = [&] { return std::count(console->entered().begin(), console->entered().end(), "QUIT"); };
        const long before = quits();
        onModal([way](QWidget* d) {
            // Four ways offered, Select Server chosen and Ok the default.
            QStringList captions;
            for (int i = 0; i < 4; ++i)
                captions << d->findChild<QRadioButton*>(QStringLiteral("optDown%1").arg(i))->text();
            EXPECT_EQ(
                captions,
                (QStringList{"Restore Q3:A Default Console", "Select Server to Monitor",
                             "Shutdown Quake 3: Arena && Ravelin", "Shutdown Quake 3: Arena  && Select New Server"}));
            EXPECT_TRUE(d->findChild<QRadioButton*>("optDown1")->isChecked());
            EXPECT_TRUE(d->findChild<QPushButton*>("cmdOk")->isDefault());
            EXPECT_EQ(d->windowTitle(), "Shutdown");
            EXPECT_FALSE(d->findChild<QWidget*>("picRest")->isVisible());
            d->findChild<QRadioButton*>(QStringLiteral("optDown%1").arg(way))->setChecked(true);
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
        });
        QTest::mouseClick(w.findChild<QToolButton*>("imgQuit"), Qt::LeftButton);
        EXPECT_TRUE(w.Unloading());
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(std::tuple(ended, reopened, quits() - before), ways[way]);
        EXPECT_EQ(desktop.isWindowVisible(console->handle()), way == 0);
    }
}
