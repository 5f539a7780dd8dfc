#include "launcher/ServerList.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimServices.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace ravelin;
using ravelin::sim::FixedHostInfo;
using ravelin::sim::MemorySettings;
using ravelin::sim::ScriptedDialogs;
using ravelin::sim::SimConsole;
using ravelin::sim::SimDesktop;
using ravelin::sim::SimMessageLoop;
using Answer = Dialogs::Answer;

namespace {

// A console whose server answers the host-name query the way Quake III does.
SimConsole::Server hostNamed(const std::string& name)
{
    return [name](SimConsole& c, const std::string& line) {
        if (line == "sv_hostname")
            c.print("\"sv_hostname\" is:\"" + name + "\" default:\"noname\"\n");
    };
}

struct ServerListTest : testing::Test {
    SimDesktop desktop;
    SimMessageLoop loop;
    ConsoleBridge bridge{desktop, loop};
    CvarProbe probe{bridge};
    MemorySettings settings;
    ScriptedDialogs dialogs;
    FixedHostInfo host;

    int shown = 0;
    int mainShown = 0;
    int closed = 0;
    int ended = 0;
    WindowHandle selectedWhenMainShown = 0;

    std::unique_ptr<ServerList> list;

    void SetUp() override { makeList(); }

    void makeList()
    {
        ServerList::Callbacks callbacks;
        callbacks.showWindow = [this] { ++shown; };
        callbacks.showMainWindow = [this] {
            ++mainShown;
            selectedWhenMainShown = bridge.SelectedConsole();
        };
        callbacks.closeWindow = [this] { ++closed; };
        callbacks.endProgram = [this] { ++ended; };
        list =
            std::make_unique<ServerList>(bridge, probe, settings, dialogs, host, "/opt/ravelin/", std::move(callbacks));
    }

    SimConsole& addServer(const std::string& name)
    {
        SimConsole& console = desktop.addConsole();
        console.setServer(hostNamed(name));
        return console;
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const ServerNode& node : list->tree().children)
            out.push_back(node.text);
        return out;
    }

    std::string keyOf(const SimConsole& console) const { return "hwnd" + std::to_string(console.handle()); }

    void setDefault(const std::string& text) { settings.saveSetting("Ravelin", "Launch", "DefaultServer", text); }
};

} // namespace

// --- Load ----------------------------------------------------------------

TEST_F(ServerListTest, LoadWritesSettingsAndVersionLabel)
{
    list->load();
    EXPECT_EQ(settings.getSetting("Ravelin", "Settings", "EXEPath", "-"), "/opt/ravelin/ravelin");
    EXPECT_EQ(settings.getSetting("Ravelin", "Settings", "APPPath", "-"), "/opt/ravelin");
    EXPECT_EQ(settings.getSetting("Ravelin", "Internal", "CurrentVersion", "-"), "1.0.448");
    EXPECT_EQ(list->versionLabel(), "Ravelin Version 1.0 Rev.448");
}

// --- List build ----------------------------------------------------------

TEST_F(ServerListTest, NoConsoleShowsTheRefreshPromptAndClickingItRebuilds)
{
    list->load();
    const ServerTree& tree = list->tree();
    EXPECT_EQ(tree.machine.key, "192.168.10.20");
    EXPECT_EQ(tree.machine.text, "testhost   [192.168.10.20]");
    EXPECT_EQ(tree.machine.tag, "SERVER");
    EXPECT_EQ(tree.machine.image, 3);
    ASSERT_EQ(tree.children.size(), 1u);
    EXPECT_EQ(tree.children[0].key, "REFRESH");
    EXPECT_EQ(tree.children[0].text, "No servers found: click here to refresh");
    EXPECT_TRUE(tree.expanded);
    EXPECT_EQ(shown, 1);

    SimConsole& console = addServer("Late Arena");
    list->NodeClick("REFRESH");
    EXPECT_EQ(texts(), std::vector<std::string>{"Quake 3 Arena [Late Arena]"});
    EXPECT_EQ(list->tree().children[0].key, keyOf(console));
    EXPECT_EQ(list->tree().children[0].image, 2);
    EXPECT_EQ(list->tree().children[0].tag, "GAME");
    EXPECT_EQ(mainShown, 0);
}

TEST_F(ServerListTest, EveryListedConsoleIsHiddenAndOtherWindowsAreIgnored)
{
    SimConsole& a = addServer("Alpha");
    desktop.addWindow("SomeClass", "Not a console");
    SimConsole& b = addServer("Beta");
    list->load();
    EXPECT_EQ(texts(), (std::vector<std::string>{"Quake 3 Arena [Alpha]", "Quake 3 Arena [Beta]"}));
    EXPECT_FALSE(desktop.isWindowVisible(a.handle()));
    EXPECT_FALSE(desktop.isWindowVisible(b.handle()));
}

TEST_F(ServerListTest, SilentConsoleIsListedWithTheProbesAnswer)
{
    sim::SimConsoleOptions old;
    old.numberedLines = false;
    desktop.addConsole(old); // cannot run the query for its output
    addServer("Talker");
    list->load();
    EXPECT_EQ(texts(), (std::vector<std::string>{"Quake 3 Arena [UNKNOWN]", "Quake 3 Arena [Talker]"}));
}

// --- Default server at start-up ---------------------------------------------

TEST_F(ServerListTest, TwoConsolesWithOneNameAreBothListedAndTheFirstIsConnectedAtStart)
{
    SimConsole& first = addServer("Twin");
    SimConsole& second = addServer("Twin");
    list->BuildServerList();
    EXPECT_EQ(texts(), (std::vector<std::string>{"Quake 3 Arena [Twin]", "Quake 3 Arena [Twin]"}));
    EXPECT_NE(list->tree().children[0].key, list->tree().children[1].key);

    setDefault("Quake 3 Arena [Twin]");
    shown = 0;
    makeList();
    list->load();
    EXPECT_EQ(mainShown, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(shown, 0) << "the window is never made visible when it connects at start";
    EXPECT_EQ(selectedWhenMainShown, first.handle());
    EXPECT_EQ(bridge.SelectedConsole(), first.handle());
    EXPECT_FALSE(desktop.isWindowVisible(first.handle()));
    EXPECT_TRUE(list->connected());
    (void)second;
}

TEST_F(ServerListTest, ConsolesAfterTheMatchedOneAreNeitherListedNorHidden)
{
    SimConsole& a = addServer("One");
    SimConsole& b = addServer("Two");
    SimConsole& c = addServer("Three");
    setDefault("Quake 3 Arena [Two]");
    list->load();
    EXPECT_EQ(bridge.SelectedConsole(), b.handle());
    EXPECT_EQ(texts(), (std::vector<std::string>{"Quake 3 Arena [One]", "Quake 3 Arena [Two]"}));
    EXPECT_FALSE(desktop.isWindowVisible(a.handle()));
    EXPECT_FALSE(desktop.isWindowVisible(b.handle()));
    EXPECT_TRUE(desktop.isWindowVisible(c.handle()));
    EXPECT_TRUE(c.entered().empty()) << "the third console was never probed";
}

TEST_F(ServerListTest, StoredDefaultNotRunningShowsTheListNormally)
{
    addServer("Here");
    setDefault("Quake 3 Arena [Gone]");
    list->load();
    EXPECT_EQ(mainShown, 0);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(texts().size(), 1u);
    EXPECT_EQ(bridge.SelectedConsole(), 0);
}

TEST_F(ServerListTest, AbsentOrClearedDefaultNeverMatches)
{
    // A host name that would make the node text equal the absent marker or "".
    addServer("");
    list->load();
    EXPECT_EQ(mainShown, 0);

    setDefault("");
    makeList();
    list->load();
    EXPECT_EQ(mainShown, 0);
    EXPECT_EQ(texts(), std::vector<std::string>{"Quake 3 Arena []"});
}

TEST_F(ServerListTest, ReloadingSuppressesAutoConnect)
{
    addServer("Home");
    setDefault("Quake 3 Arena [Home]");
    list->setReloading(true);
    list->load();
    EXPECT_EQ(mainShown, 0);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(texts().size(), 1u);
}

TEST_F(ServerListTest, LaterBuildsNeverConnectByThemselves)
{
    list->load();
    addServer("Home");
    setDefault("Quake 3 Arena [Home]");
    list->BuildServerList();
    EXPECT_EQ(mainShown, 0);
    EXPECT_EQ(texts().size(), 1u);
}

// --- Connect and Show ------------------------------------------------------

TEST_F(ServerListTest, ConnectStoresTheSelectedConsoleHidesItAndCloses)
{
    addServer("A");
    SimConsole& b = addServer("B");
    list->load();
    desktop.showWindow(b.handle(), true);
    list->select(keyOf(b));
    list->Connect();
    EXPECT_EQ(bridge.SelectedConsole(), b.handle());
    EXPECT_FALSE(desktop.isWindowVisible(b.handle()));
    EXPECT_EQ(mainShown, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(dialogs.asked().empty());
}

TEST_F(ServerListTest, ConnectWithoutAServerNodeAsksToSelectOne)
{
    addServer("A");
    list->load();
    list->Connect(); // nothing selected
    list->select(list->tree().machine.key);
    list->Connect();
    EXPECT_EQ(dialogs.askedTexts(), (std::vector<std::string>{"Please select a server", "Please select a server"}));
    EXPECT_EQ(dialogs.asked()[0].title, "Quake 3: Ravelin");
    EXPECT_EQ(dialogs.asked()[0].buttons, Dialogs::Buttons::Ok);
    EXPECT_EQ(mainShown, 0);
    EXPECT_EQ(bridge.SelectedConsole(), 0);
}

TEST_F(ServerListTest, MachineNodeIsNeverConnectableWhateverItsAddress)
{
    // From its fifth character on, "1.2.3.4" reads "3.4", a number.
    host.ip = "1.2.3.4";
    addServer("A");
    list->load();
    ASSERT_EQ(list->tree().machine.key, "1.2.3.4");
    list->select("1.2.3.4");
    list->Connect();
    list->ShowServer();
    list->SetDefaultServer();
    list->KillServer();
    EXPECT_EQ(dialogs.askedTexts(), std::vector<std::string>(4, "Please select a server"));
    EXPECT_EQ(bridge.SelectedConsole(), 0);
    EXPECT_EQ(mainShown, 0);
}

TEST_F(ServerListTest, ServerHandleAcceptsOnlyHwndWithAPositiveNumber)
{
    EXPECT_EQ(ServerList::serverHandle("hwnd42"), 42);
    EXPECT_EQ(ServerList::serverHandle("hwnd2147483647"), 2147483647);
    EXPECT_FALSE(ServerList::serverHandle("hwnd"));
    EXPECT_FALSE(ServerList::serverHandle("hwnd0"));
    EXPECT_FALSE(ServerList::serverHandle("hwnd-5"));
    EXPECT_FALSE(ServerList::serverHandle("hwnd2147483648"));
    EXPECT_FALSE(ServerList::serverHandle("hwnd12a"));
    EXPECT_FALSE(ServerList::serverHandle("1.2.3.4"));
    EXPECT_FALSE(ServerList::serverHandle("10.0.0.12"));
    EXPECT_FALSE(ServerList::serverHandle("REFRESH"));
}

TEST_F(ServerListTest, ShowRevealsAndFocusesTheSelectedConsole)
{
    SimConsole& a = addServer("A");
    list->load();
    ASSERT_FALSE(desktop.isWindowVisible(a.handle()));
    list->select(keyOf(a));
    list->ShowServer();
    EXPECT_TRUE(desktop.isWindowVisible(a.handle()));
    EXPECT_EQ(desktop.focused(), a.handle());
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_EQ(mainShown, 0);
}

// --- Kill ------------------------------------------------------------------

TEST_F(ServerListTest, KillSendsQuitAndRebuildsTheList)
{
    SimConsole& a = addServer("A");
    SimConsole& b = addServer("B");
    b.setServer([&](SimConsole& c, const std::string& line) {
        if (line == "QUIT")
            desktop.closeWindow(c.handle());
        else
            hostNamed("B")(c, line);
    });
    list->load();
    list->select(keyOf(b));
    list->KillServer();
    EXPECT_EQ(b.entered().back(), "QUIT");
    EXPECT_EQ(texts(), std::vector<std::string>{"Quake 3 Arena [A]"});
    EXPECT_TRUE(dialogs.asked().empty()) << "Kill asks for no confirmation";
    EXPECT_EQ(std::count(a.entered().begin(), a.entered().end(), "QUIT"), 0);
}

TEST_F(ServerListTest, KillWithNothingSelectedDoesNothingAndWithAPromptAsks)
{
    list->load();
    list->KillServer();
    EXPECT_TRUE(dialogs.asked().empty());
    list->select("REFRESH");
    list->KillServer();
    EXPECT_EQ(dialogs.askedTexts(), std::vector<std::string>{"Please select a server"});
}

// --- Set default server ----------------------------------------------------

TEST_F(ServerListTest, SetDefaultAsksThenStoresAndConfirms)
{
    SimConsole& a = addServer("Main Arena");
    list->load();
    list->select(keyOf(a));
    dialogs.queueAnswer(Answer::Yes);
    list->SetDefaultServer();
    ASSERT_EQ(dialogs.asked().size(), 2u);
    EXPECT_EQ(dialogs.asked()[0].text, "Would you like to set \"Quake 3 Arena [Main Arena]\" as the default server?");
    EXPECT_EQ(dialogs.asked()[0].buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(dialogs.asked()[0].title, "Quake 3: Ravelin");
    EXPECT_EQ(dialogs.asked()[1].text,
              "Default server has been set.  If you change the Name of your server, "
              "you will have to set it as the default again...");
    EXPECT_EQ(dialogs.asked()[1].buttons, Dialogs::Buttons::Ok);
    EXPECT_EQ(settings.getSetting("Ravelin", "Launch", "DefaultServer", "-"), "Quake 3 Arena [Main Arena]");
}

TEST_F(ServerListTest, SetDefaultAnsweredNoStoresNothing)
{
    SimConsole& a = addServer("Main Arena");
    list->load();
    list->select(keyOf(a));
    dialogs.queueAnswer(Answer::No);
    list->SetDefaultServer();
    EXPECT_EQ(dialogs.asked().size(), 1u);
    EXPECT_FALSE(settings.has("Ravelin", "Launch", "DefaultServer"));
}

TEST_F(ServerListTest, SetDefaultOnTheCurrentDefaultOffersToClearIt)
{
    SimConsole& a = addServer("Main Arena");
    setDefault("Quake 3 Arena [Main Arena]");
    list->setReloading(true);
    list->load();
    list->select(keyOf(a));

    dialogs.queueAnswer(Answer::No);
    list->SetDefaultServer();
    EXPECT_EQ(dialogs.askedTexts(),
              std::vector<std::string>{"The currently selected server is already set to default, "
                                       "would you like to delete that setting?"});
    EXPECT_EQ(dialogs.asked()[0].buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(settings.getSetting("Ravelin", "Launch", "DefaultServer", "-"), "Quake 3 Arena [Main Arena]");

    dialogs.clear();
    dialogs.queueAnswer(Answer::Yes);
    list->SetDefaultServer();
    EXPECT_EQ(dialogs.asked().size(), 1u);
    EXPECT_TRUE(settings.has("Ravelin", "Launch", "DefaultServer"));
    EXPECT_EQ(settings.getSetting("Ravelin", "Launch", "DefaultServer", "-"), "");
}

// --- Node click, Quit, closing -------------------------------------------------

TEST_F(ServerListTest, ClickingTheMachineNodeTogglesItsExpansionOnly)
{
    SimConsole& a = addServer("A");
    list->load();
    ASSERT_TRUE(list->tree().expanded);
    const int probes = int(a.entered().size());
    list->NodeClick(list->tree().machine.key);
    EXPECT_FALSE(list->tree().expanded);
    list->NodeClick(list->tree().machine.key);
    EXPECT_TRUE(list->tree().expanded);
    list->NodeClick(keyOf(a));
    EXPECT_TRUE(list->tree().expanded);
    EXPECT_EQ(int(a.entered().size()), probes) << "no rebuild";
}

TEST_F(ServerListTest, QuitAskedNoKeepsEverythingHidden)
{
    SimConsole& a = addServer("A");
    list->load();
    list->Quit();
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].text, "Are you sure you want to quit?");
    EXPECT_EQ(dialogs.asked()[0].title, "Quit Quake 3:Ravelin?");
    EXPECT_EQ(dialogs.asked()[0].buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(ended, 0);
    EXPECT_FALSE(desktop.isWindowVisible(a.handle()));
}

TEST_F(ServerListTest, QuitShowsEveryConsoleAndEnds)
{
    SimConsole& a = addServer("A");
    SimConsole& b = addServer("B");
    list->load();
    // One that appeared after the build is shown as well.
    SimConsole& c = addServer("C");
    desktop.showWindow(c.handle(), false);
    dialogs.queueAnswer(Answer::Yes);
    list->Quit();
    EXPECT_EQ(ended, 1);
    for (SimConsole* console : {&a, &b, &c})
        EXPECT_TRUE(desktop.isWindowVisible(console->handle()));
}

TEST_F(ServerListTest, ClosingTheWindowGivesTheConsolesBack)
{
    SimConsole& a = addServer("A");
    list->load();
    list->windowClosing();
    EXPECT_TRUE(desktop.isWindowVisible(a.handle()));
}

TEST_F(ServerListTest, ClosingAfterConnectLeavesTheChosenConsoleHidden)
{
    SimConsole& a = addServer("A");
    setDefault("Quake 3 Arena [A]");
    list->load();
    ASSERT_TRUE(list->connected());
    list->windowClosing();
    EXPECT_FALSE(desktop.isWindowVisible(a.handle()));
}

// --- Clicks during a build ---------------------------------------------------------

TEST_F(ServerListTest, ClicksArrivingWhileABuildWaitsAreIgnored)
{
    SimConsole& a = addServer("A");
    list->setReloading(true);
    list->load();
    list->select(keyOf(a));

    // The second build's probe yields; clicks delivered then must not act.
    SimConsole& slow = desktop.addConsole();
    slow.setServer([&](SimConsole& c, const std::string& line) {
        if (line == "sv_hostname")
            c.print("\"sv_hostname\" is:\"Slow\" default:\"\"\n");
    });
    bool clicked = false;
    loop.onEveryYield([&] {
        if (slow.entered().empty())
            return true;
        clicked = true;
        list->select(keyOf(a));
        list->Connect();
        list->KillServer();
        list->ShowServer();
        list->SetDefaultServer();
        list->BuildServerList();
        return false;
    });
    list->BuildServerList();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(mainShown, 0);
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_EQ(std::count(a.entered().begin(), a.entered().end(), "QUIT"), 0);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Quake 3 Arena [A]", "Quake 3 Arena [Slow]"}));
}

TEST_F(ServerListTest, QuitDuringABuildStopsItAndShowsTheConsoles)
{
    SimConsole& a = addServer("A");
    SimConsole& silent = desktop.addConsole();
    SimConsole& after = addServer("After");
    dialogs.queueAnswer(Answer::Yes);
    loop.onEveryYield([&] {
        if (silent.entered().empty())
            return true;
        list->Quit();
        return false;
    });
    list->load();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(after.entered().empty()) << "the build stopped after the probe in progress";
    for (SimConsole* console : {&a, &silent, &after})
        EXPECT_TRUE(desktop.isWindowVisible(console->handle()));
}
