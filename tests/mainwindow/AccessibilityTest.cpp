// Every window seen through the accessibility tree, as a screen reader and
// desktop automation see it: each interactive control has a name, and Tab
// moves only through what the operator can see.
#include "MainFixture.h"

#include "launcher/FrmSplash.h"
#include "mainwindow/FrmShutdown.h"
#include "support/AccessibleAudit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QAccessible>
#include <QCheckBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QApplication>
#include <QTest>
#include <QToolButton>

using namespace ravelin;
using ravelin::test::MainWindowTest;
using ravelin::test::unnamedControls;
using ravelin::test::waitForQt;

namespace {

int pageOf(const FrmMain& w, QWidget* widget)
{
    for (QWidget* p = widget; p; p = p->parentWidget())
        for (int i = 0; i < kTabCount; ++i)
            if (p == w.picBase(i))
                return i;
    return -1;
}

} // namespace

TEST_F(MainWindowTest, EveryInteractiveControlOfTheMainWindowHasAName)
{
    FrmMain& w = openWindow();
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&w);
    ASSERT_NE(root, nullptr);
    EXPECT_GE(test::interactiveControls(root), 8 + 7) << "the tabs and the frame's buttons at least";
    // Each page in front once, as the operator would see it.
    for (int tab = 0; tab < kTabCount; ++tab) {
        w.imgTab_Click(tab);
        EXPECT_EQ(unnamedControls(&w), std::vector<std::string>()) << "tab " << tab;
    }
    // The tab pictures are page tabs named by their captions, pressed like buttons.
    QAccessibleInterface* tab = QAccessible::queryAccessibleInterface(w.imgTab(3));
    EXPECT_EQ(tab->role(), QAccessible::PageTab);
    EXPECT_EQ(tab->text(QAccessible::Name), "function");
    tab->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(w.imgTab(3)->pixmap().cacheKey(), w.TabPicOn(3).cacheKey());
    // Image buttons are named by their tool tips.
    auto* quit = w.findChild<QToolButton*>("imgQuit");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(quit)->text(QAccessible::Name), quit->toolTip());
}

// A screen reader's Toggle or Press on a check box or option button is a
// click: the program's handler runs, not only the tick.
TEST_F(MainWindowTest, AccessibleActionsOfCheckAndOptionButtonsClickThem)
{
    FrmMain& w = openWindow();
    QTimer* monitor = timer("tmrClient");
    EXPECT_FALSE(monitor->isActive());
    int driven = 0;
    for (QAbstractButton* button : w.findChildren<QAbstractButton*>()) {
        if (!qobject_cast<QCheckBox*>(button) && !qobject_cast<QRadioButton*>(button))
            continue;
        if (!button->isEnabled())
            continue;
        for (const QString& action :
             {QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::pressAction()}) {
            QSignalSpy clicked(button, &QAbstractButton::clicked);
            QAccessibleInterface* node = QAccessible::queryAccessibleInterface(button);
            ASSERT_TRUE(node->actionInterface()->actionNames().contains(action)) << button->objectName().toStdString();
            node->actionInterface()->doAction(action);
            EXPECT_EQ(clicked.count(), 1) << button->objectName().toStdString() << " " << action.toStdString();
            EXPECT_EQ(node->state().checked, button->isChecked());
        }
        ++driven;
    }
    EXPECT_GE(driven, 5);
    auto* chkClient = child<QCheckBox>("chkClient");
    QAccessible::queryAccessibleInterface(chkClient)->actionInterface()->doAction(
        QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(chkClient->isChecked(), monitor->isActive()) << "monitoring follows the box";
}

TEST_F(MainWindowTest, TabMovesThroughTheFrameTheTabsAndOnlyThePageInFront)
{
    FrmMain& w = openWindow();
    QApplication::setActiveWindow(&w);
    w.imgTab_Click(3);
    w.imgTab(0)->setFocus();
    // Space presses the focused tab.
    QTest::keyClick(w.imgTab(3), Qt::Key_Space);
    EXPECT_EQ(w.imgTab(3)->pixmap().cacheKey(), w.TabPicOn(3).cacheKey());

    QStringList visited;
    bool sawFunctionPage = false;
    for (int step = 0; step < 40; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        const int page = pageOf(w, focus);
        EXPECT_TRUE(page == -1 || page == 3) << focus->objectName().toStdString() << " on page " << page;
        sawFunctionPage = sawFunctionPage || page == 3;
        visited << focus->objectName();
    }
    EXPECT_TRUE(sawFunctionPage);
    EXPECT_TRUE(visited.contains("imgMode0"));
    EXPECT_TRUE(visited.contains("imgTab5"));
    EXPECT_TRUE(visited.contains("txtDebug"));
}

TEST_F(MainWindowTest, EveryInteractiveControlOfTheShutdownDialogAndTheStartWindowHasAName)
{
    FrmShutdown dialog([] {}, nullptr);
    dialog.show();
    ASSERT_TRUE(waitForQt([&] { return dialog.isVisible(); }));
    EXPECT_GE(test::interactiveControls(QAccessible::queryAccessibleInterface(&dialog)), 6);
    EXPECT_EQ(unnamedControls(&dialog), std::vector<std::string>());

    sim::FixedHostInfo host;
    sim::SimMessageLoop quick;
    ConsoleBridge quickBridge(desktop, quick);
    CvarProbe quickProbe(quickBridge);
    FrmSplash splash(SplashServices{quickBridge, quickProbe, settings, dialogs, host, "/opt/ravelin", [] {}, [] {}});
    splash.setReloading(true);
    splash.load();
    ASSERT_TRUE(waitForQt([&] { return splash.isVisible(); }));
    EXPECT_GE(test::interactiveControls(QAccessible::queryAccessibleInterface(&splash)), 9);
    EXPECT_EQ(unnamedControls(&splash), std::vector<std::string>());
}
