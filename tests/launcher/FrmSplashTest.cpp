// The start window's wiring, offscreen: controls found by name, clicks
// reaching the list logic, and every message answered through Dialogs.
#include "launcher/FrmSplash.h"
#include "launcher/LauncherFixture.h"
#include "mainwindow/QtTestApp.h"

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace ravelin;
using ravelin::sim::SimConsole;

namespace {

struct FrmSplashTest : test::LauncherFixture {
    int mainShown = 0;
    int ended = 0;
    QPointer<FrmSplash> window;

    void TearDown() override { delete window.data(); }

    FrmSplash& open(bool reloading = false, bool deleteOnClose = false)
    {
        SplashServices services{
            bridge, probe, settings, dialogs, host, "/opt/ravelin", [this] { ++mainShown; }, [this] { ++ended; }};
        window = new FrmSplash(services);
        window->setReloading(reloading);
        // As the start procedure has it.
        window->setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
        window->load();
        return *window;
    }

    template <typename T>
    T* child(const char* name)
    {
        return test::child<T>(window.data(), name);
    }

    QTreeWidget* tree() { return child<QTreeWidget>("tvMain"); }
    QTreeWidgetItem* machine() { return tree()->topLevelItem(0); }

    void click(const char* button) { child<QToolButton>(button)->click(); }

    void selectRow(int row) { tree()->setCurrentItem(machine()->child(row)); }
};

} // namespace

TEST_F(FrmSplashTest, ShowsCaptionControlsToolTipsAndVersionAndGivesTheConsolesBackOnClose)
{
    SimConsole& a = addServer("Demo Arena One");
    open();
    EXPECT_EQ(window->objectName(), "frmSplash");
    EXPECT_EQ(window->windowTitle(), "Ravelin Server List");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(child<QLabel>("lblVersion")->text(), "Ravelin Version 1.0 Rev.448");
    EXPECT_EQ(child<QToolButton>("imgConnect")->toolTip(), "Connect to Selected Server");
    EXPECT_EQ(child<QToolButton>("imgKill")->toolTip(), "Kill Selected Server");
    EXPECT_EQ(child<QToolButton>("imgReload")->toolTip(), "Refresh Server List");
    EXPECT_EQ(child<QToolButton>("imgAuto")->toolTip(), "Set Default Server");
    EXPECT_EQ(child<QToolButton>("imgGatehop")->toolTip(), "Install Gatehop 1.0");
    for (const char* name : {"imgShow", "imgMin", "imgQuit"})
        EXPECT_TRUE(child<QToolButton>(name)->toolTip().isEmpty()) << name;

    ASSERT_EQ(tree()->topLevelItemCount(), 1);
    EXPECT_EQ(machine()->text(0), "testhost   [192.168.10.20]");
    EXPECT_TRUE(machine()->isExpanded());
    ASSERT_EQ(machine()->childCount(), 1);
    EXPECT_EQ(machine()->child(0)->text(0), "Quake 3 Arena [Demo Arena One]");
    EXPECT_FALSE(machine()->icon(0).isNull());
    EXPECT_FALSE(machine()->child(0)->icon(0).isNull());

    window->close();
    EXPECT_TRUE(desktop.isWindowVisible(a.handle()));
}

TEST_F(FrmSplashTest, ConnectWithoutSelectionAsksThenConnectsTheSelectedServer)
{
    addServer("A");
    SimConsole& b = addServer("B");
    open();
    click("imgConnect");
    EXPECT_EQ(dialogs.askedTexts(), std::vector<std::string>{"Please select a server"});

    selectRow(1);
    click("imgConnect");
    EXPECT_EQ(mainShown, 1);
    EXPECT_EQ(bridge.SelectedConsole(), b.handle());
    EXPECT_FALSE(window->isVisible());
}

// The refresh prompt's click rebuilds the list; a double click on a server
// connects.
TEST_F(FrmSplashTest, RefreshPromptClickRebuildsAndDoubleClickConnects)
{
    open();
    ASSERT_EQ(machine()->child(0)->text(0), "No servers found: click here to refresh");
    SimConsole& a = addServer("Late");
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(machine()->child(0)).center());
    ASSERT_TRUE(test::waitForQt([&] { return machine()->child(0)->text(0) == "Quake 3 Arena [Late]"; }));

    const QPoint centre = tree()->visualItemRect(machine()->child(0)).center();
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, centre);
    ASSERT_TRUE(test::waitForQt([&] { return mainShown == 1; }));
    EXPECT_EQ(bridge.SelectedConsole(), a.handle());
}

TEST_F(FrmSplashTest, EachButtonReachesTheListLogic)
{
    SimConsole& a = addServer("A");
    open(true);

    selectRow(0);
    click("imgShow");
    EXPECT_TRUE(desktop.isWindowVisible(a.handle()));
    EXPECT_EQ(desktop.focused(), a.handle());

    dialogs.queueAnswer(Dialogs::Answer::Yes);
    click("imgAuto"); // its questions: ServerListTest
    EXPECT_EQ(storedDefault(), "Quake 3 Arena [A]");

    SimConsole& b = addServer("B");
    click("imgReload");
    EXPECT_EQ(machine()->childCount(), 2);

    selectRow(0);
    click("imgKill");
    ASSERT_EQ(machine()->childCount(), 1);
    EXPECT_EQ(machine()->child(0)->text(0), "Quake 3 Arena [B]");

    dialogs.clear();
    click("imgGatehop"); // the prompt is cancelled: nothing else happens
    EXPECT_EQ(dialogs.askedTexts(), std::vector<std::string>{"Enter your Quake III: Arena directory below:"});
    click("imgMin");
    EXPECT_TRUE(test::waitForQt([&] { return window->isMinimized(); }));

    ASSERT_FALSE(desktop.isWindowVisible(b.handle()));
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    click("imgQuit");
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(desktop.isWindowVisible(b.handle()));
}

TEST_F(FrmSplashTest, ClosedWhileAListBuildWaitsTheWindowOutlivesTheBuild)
{
    SimConsole& a = addServer("A");
    SimConsole& slow = desktop.addConsole(); // answers only after a while
    int asked = 0;
    slow.setServer([&](SimConsole& c, const std::string& line) {
        if (line == "sv_hostname" && ++asked == 5)
            c.print("\"sv_hostname\" is:\"Slow\" default:\"\"\n");
    });
    loop.onEveryYield([&] {
        if (slow.entered().empty())
            return true;
        // The window manager's close button, pressed mid-build.
        window->close();
        return false;
    });
    open(true, true);
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(desktop.isWindowVisible(a.handle()));
    EXPECT_TRUE(desktop.isWindowVisible(slow.handle()));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(mainShown, 0);
    // The close finished after the build, and the window goes away.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}
