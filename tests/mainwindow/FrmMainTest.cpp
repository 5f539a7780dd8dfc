#include "MainFixture.h"

#include "mainwindow/FunctionPage.h"
#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QPushButton>
#include <QTest>

using namespace ravelin;
using ravelin::test::MainWindowTest;
using ravelin::test::onModal;
using ravelin::test::waitForQt;

TEST_F(MainWindowTest, LoadReadsTheGameBasePathAndStartsTheDesignTimeTimers)
{
    FrmMain& w = makeWindow();
    w.load();
    EXPECT_EQ(w.GameBasePath(), "/srv/q3");
    EXPECT_EQ(
        w.tabNames(),
        (std::vector<std::string>{"console", "sys", "stats", "function", "options", "clients", "cvars", "editor"}));
    // The window's timers follow the session: the design-time ones run, the
    // pump waits for the first activation.
    const std::pair<const char*, bool> expected[] = {{"tmrConsole", false}, {"tmrClearOut", true}, {"tmrClient", false},
                                                     {"tmrBanned", true},   {"tmrAAI", false},     {"tmrReport", true},
                                                     {"tmrSystem", true}};
    for (const auto& [name, active] : expected) {
        ASSERT_NE(timer(name), nullptr) << name;
        EXPECT_EQ(timer(name)->isActive(), active) << name;
    }
    EXPECT_EQ(w.activations(), 0);
}

TEST_F(MainWindowTest, FirstShowActivatesAndStartsThePump)
{
    console->print("history line\n");
    FrmMain& w = openWindow();
    EXPECT_TRUE(timer("tmrConsole")->isActive());
    // The history is echoed once; the load's own cvar query stays off it.
    ASSERT_TRUE(waitForQt([&] { return w.displayText() == console->output(); }));
    EXPECT_EQ(w.displayText(), "history line\r\n");

    console->print("Bob entered the game\n");
    ASSERT_TRUE(waitForQt([&] { return w.displayText() == console->output(); }));
    EXPECT_EQ(child<QPlainTextEdit>("txtDisplay")->toPlainText(), "history line\nBob entered the game\n");

    // A double click on the background (not on a page) shows the console.
    desktop.showWindow(console->handle(), false);

    // On a page it is the page's double click, not the background's.
    QTest::mouseDClick(w.picBase(0), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(desktop.isWindowVisible(console->handle()));

    QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(2, w.height() - 3));
    EXPECT_TRUE(desktop.isWindowVisible(console->handle()));
}

// The display keeps to the newest line (the last one whole, not one short
// of it), also across the time its page is covered or the window hidden,
// until the operator scrolls up; scrolling back to the end follows again.
TEST_F(MainWindowTest, TheDisplayKeepsToTheNewestLineUntilTheOperatorScrollsUp)
{
    FrmMain& w = openWindow();
    QScrollBar* bar = child<QPlainTextEdit>("txtDisplay")->verticalScrollBar();
    int printed = 0;
    auto printAndWait = [&](int count) {
        std::string lines;
        for (int i = 0; i < count; ++i)
            lines += "line " + std::to_string(printed++) + "\n";
        console->print(lines);
        return waitForQt([&] { return w.displayText() == console->output(); });
    };
    auto atEnd = [&] { return waitForQt([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }); };

    ASSERT_TRUE(printAndWait(200));
    EXPECT_TRUE(atEnd()) << bar->value() << " of " << bar->maximum();

    w.imgTab_Click(1); // the sys page on top
    ASSERT_TRUE(printAndWait(200));
    w.imgTab_Click(0);
    EXPECT_TRUE(atEnd()) << bar->value() << " of " << bar->maximum();

    w.hide(); // as in the tray
    ASSERT_TRUE(printAndWait(200));
    w.show();
    EXPECT_TRUE(atEnd()) << bar->value() << " of " << bar->maximum();

    const int readingAt = bar->maximum() - 50;
    bar->setValue(readingAt);
    ASSERT_TRUE(printAndWait(100));
    EXPECT_EQ(bar->value(), readingAt);
    bar->setValue(bar->maximum());
    ASSERT_TRUE(printAndWait(100));
    EXPECT_TRUE(atEnd()) << bar->value() << " of " << bar->maximum();
}

TEST_F(MainWindowTest, OurDialogClosingActivatesButSwitchingBackFromElsewhereDoesNot)
{
    FrmMain& w = openWindow();

    // A mode button switched the pump off; our own dialog closing brings it back.
    timer("tmrConsole")->stop();
    QtDialogs ours;
    onModal([](QWidget* modal) { modal->close(); });
    ours.messageBox("Default server has been set.");
    ASSERT_TRUE(waitForQt([&] { return w.activations() == 2; }));
    EXPECT_TRUE(timer("tmrConsole")->isActive());

    // The operator returns from another application: no activation steps.
    timer("tmrConsole")->stop();
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&w, &deactivate);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    // A dialog that is not ours closing does not count either.
    QMessageBox foreign(QMessageBox::Information, "other", "not ours", QMessageBox::Ok, &w);
    onModal([](QWidget* modal) { modal->close(); });
    foreign.exec();
    // Zero timers fire in the order they were started: this one after the
    // activation a closing dialog queues.
    bool reached = false;
    QTimer::singleShot(0, [&] { reached = true; });
    ASSERT_TRUE(waitForQt([&] { return reached; }));
    EXPECT_EQ(w.activations(), 2);
    EXPECT_FALSE(timer("tmrConsole")->isActive());
}

TEST_F(MainWindowTest, UnloadStopsEveryTimerAndSetsUnloading)
{
    FrmMain& w = openWindow();
    w.close();
    EXPECT_TRUE(w.Unloading());
    for (const char* name : {"tmrConsole", "tmrClearOut", "tmrClient", "tmrBanned", "tmrAAI", "tmrReport", "tmrSystem"})
        EXPECT_FALSE(timer(name)->isActive()) << name;

    // Nothing more reaches the display once unloading, even from a tick
    // already on its way.
    console->print("after unload\n");
    w.session().tmrConsole_Timer();
    EXPECT_EQ(w.displayText(), "");
}

TEST_F(MainWindowTest, ReInitializeListsEachProcedureOnceAndDebugPrintKeepsTheNewestLines)
{
    test::writeConsoleScript(appFolder.path(), "Sub Q3ARVL_a(d)\nEnd Sub\nSub Q3ARVL_b(d)\nEnd Sub\n");
    FrmMain& w = openWindow();
    auto* scripts = w.findChild<QListWidget*>("lstScripts");
    ASSERT_TRUE(waitForQt([&] { return scripts->count() == 2; }));
    w.findChild<QPushButton*>("cmdInitScripts")->click();
    w.findChild<QPushButton*>("cmdInitScripts")->click();
    EXPECT_EQ(scripts->count(), 2);
    EXPECT_EQ(w.findChild<QListWidget*>("lstConsoleProc")->count(), 2);

    w.DebugPrint("first");
    w.DebugPrint("second");
    EXPECT_TRUE(w.findChild<QPlainTextEdit*>("txtDebug")->toPlainText().endsWith("first\nsecond\n"));
    // A script that never stops reporting leaves the newest lines, not all.
    for (int i = 0; i < FunctionPage::kDebugLinesKept; ++i)
        w.DebugPrint("line " + std::to_string(i));
    const QString kept = w.findChild<QPlainTextEdit*>("txtDebug")->toPlainText();
    EXPECT_TRUE(kept.startsWith("line 0\nline 1\n")) << kept.left(40).toStdString();
    EXPECT_TRUE(kept.endsWith("line 9999\n"));
    EXPECT_FALSE(w.findChild<QWidget*>("lstConsoleProc")->isVisibleTo(&w));
}
