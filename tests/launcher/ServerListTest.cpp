#include "launcher/ServerList.h"
#include "launcher/LauncherFixture.h"

#include <algorithm>
#include <optional>
#include <tuple>

using namespace ravelin;
using ravelin::sim::SimConsole;
using Answer = Dialogs::Answer;

namespace {

const std::string kSelectServer = "Please select a server";

struct ServerListTest : test::LauncherFixture {
    int shown = 0;
    int mainShown = 0;
    int closed = 0;
    int ended = 0;
    WindowHandle selectedWhenMainShown = 0;
    std::unique_ptr<ServerList> list;

    void SetUp() override
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

    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const ServerNode& node : list->tree().children)
            out.push_back(node.text);
        return out;
    }

    // A node's key, text, image and tag; the i-th box's text, title and buttons.
    static auto fields(const ServerNode& n) { return std::tuple(n.key, n.text, n.image, n.tag); }
    static auto boxOf(const sim::ScriptedDialogs::Asked& a) { return std::tuple(a.text, a.title, a.buttons); }
    auto box(std::size_t i) const { return boxOf(dialogs.asked().at(i)); }
    static int quits(const SimConsole& c) { return int(std::count(c.entered().begin(), c.entered().end(), "QUIT")); }
};

} // namespace

TEST_F(ServerListTest, NoConsoleShowsTheRefreshPromptAndClickingItRebuilds)
{
    list->load();
    // The load records where the program is and its version.
    EXPECT_EQ(settings.getSetting("Ravelin", "Settings", "EXEPath", "-"), "/opt/ravelin/ravelin");
    EXPECT_EQ(settings.getSetting("Ravelin", "Settings", "APPPath", "-"), "/opt/ravelin");
    EXPECT_EQ(settings.getSetting("Ravelin", "Internal", "CurrentVersion", "-"), "1.0.448");
    EXPECT_EQ(list->versionLabel(), "Ravelin Version 1.0 Rev.448");
    const ServerTree& tree = list->tree();
    EXPECT_EQ(fields(tree.machine), std::tuple("192.168.10.20", "testhost   [192.168.10.20]", 3, "SERVER"));
    ASSERT_EQ(tree.children.size(), 1u);
    EXPECT_EQ(fields(tree.children[0]), std::tuple("REFRESH", "No servers found: click here to refresh", 0, ""));
    EXPECT_TRUE(tree.expanded);
    EXPECT_EQ(shown, 1);

    // A rebuild never connects by itself, even to the stored default.
    SimConsole& console = addServer("Late Arena");
    setDefault("Quake 3 Arena [Late Arena]");
    list->NodeClick("REFRESH");
    ASSERT_EQ(list->tree().children.size(), 1u);
    EXPECT_EQ(fields(list->tree().children[0]), std::tuple(keyOf(console), "Quake 3 Arena [Late Arena]", 2, "GAME"));
    EXPECT_EQ(mainShown, 0);
}

TEST_F(ServerListTest, ListsEveryConsoleHiddenUnderItsOwnKeyAndIgnoresOtherWindows)
{
    SimConsole& a = addServer("Twin");
    desktop.addWindow("SomeClass", "Not a console");
    SimConsole& b = addServer("Twin");
    sim::SimConsoleOptions old;
    old.numberedLines = false;
    desktop.addConsole(old); // cannot run the query for its output: listed with the probe's answer
    list->load();
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"Quake 3 Arena [Twin]", "Quake 3 Arena [Twin]", "Quake 3 Arena [UNKNOWN]"}));
    EXPECT_NE(list->tree().children[0].key, list->tree().children[1].key);
    EXPECT_FALSE(desktop.isWindowVisible(a.handle()));
    EXPECT_FALSE(desktop.isWindowVisible(b.handle()));

    // Clicking the machine node toggles its expansion, nothing more.
    ASSERT_TRUE(list->tree().expanded);
    const std::size_t probes = a.entered().size();
    list->NodeClick(list->tree().machine.key);
    EXPECT_FALSE(list->tree().expanded);
    list->NodeClick(list->tree().machine.key);
    EXPECT_TRUE(list->tree().expanded);
    list->NodeClick(keyOf(a));
    EXPECT_TRUE(list->tree().expanded);
    EXPECT_EQ(a.entered().size(), probes) << "no rebuild";
}

// Host names in start order, the stored default, whether the list is being
// reloaded, which console is connected (-1: none, the list is shown) and how
// many are listed; consoles after the listed ones are neither probed nor
// hidden.
struct StartCase {
    std::vector<std::string> servers;
    std::optional<std::string> storedDefault;
    bool reloading;
    int connected;
    std::size_t listed;
};

class DefaultAtStartTest : public ServerListTest, public testing::WithParamInterface<StartCase> {};

TEST_P(DefaultAtStartTest, ConnectsOnlyToARunningDefaultOnAFreshStart)
{
    const StartCase& c = GetParam();
    std::vector<SimConsole*> consoles;
    for (const std::string& name : c.servers)
        consoles.push_back(&addServer(name));
    if (c.storedDefault)
        setDefault(*c.storedDefault);
    list->setReloading(c.reloading);
    list->load();
    const WindowHandle expected = c.connected < 0 ? 0 : consoles[std::size_t(c.connected)]->handle();
    EXPECT_EQ(mainShown, c.connected < 0 ? 0 : 1);
    EXPECT_EQ(closed, mainShown);
    EXPECT_EQ(shown, 1 - mainShown) << "the window is never made visible when it connects at start";
    EXPECT_EQ(list->connected(), c.connected >= 0);
    EXPECT_EQ(bridge.SelectedConsole(), expected);
    EXPECT_EQ(selectedWhenMainShown, expected);
    EXPECT_EQ(texts().size(), c.listed);
    for (std::size_t i = 0; i < consoles.size(); ++i) {
        EXPECT_EQ(desktop.isWindowVisible(consoles[i]->handle()), i >= c.listed) << i;
        EXPECT_TRUE(i < c.listed || consoles[i]->entered().empty()) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DefaultAtStartTest,
                         testing::Values(StartCase{{"Here"}, "Quake 3 Arena [Gone]", false, -1, 1},
                                         StartCase{{"Home"}, "Quake 3 Arena [Home]", true, -1, 1},
                                         // A host name that makes the node text equal the absent marker or "".
                                         StartCase{{""}, std::nullopt, false, -1, 1}, StartCase{{""}, "", false, -1, 1},
                                         StartCase{{"One", "Two", "Three"}, "Quake 3 Arena [Two]", false, 1, 2},
                                         StartCase{{"Twin", "Twin"}, "Quake 3 Arena [Twin]", false, 0, 1}));

TEST_F(ServerListTest, EveryActionOnANodeThatIsNoServerAsksToSelectOneAndConnectTakesAServer)
{
    // From its fifth character on, "1.2.3.4" reads "3.4", a number.
    host.ip = "1.2.3.4";
    SimConsole& a = addServer("A");
    list->load();
    list->KillServer(); // nothing selected: Kill does nothing
    EXPECT_TRUE(dialogs.asked().empty());
    list->Connect();
    EXPECT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(box(0), std::tuple(kSelectServer, "Quake 3: Ravelin", Dialogs::Buttons::Ok));
    dialogs.clear();
    list->select(std::string("1.2.3.4"));
    list->Connect();
    list->ShowServer();
    list->SetDefaultServer();
    list->KillServer();
    EXPECT_EQ(dialogs.askedTexts(), std::vector<std::string>(4, kSelectServer));
    EXPECT_EQ(bridge.SelectedConsole(), 0);
    EXPECT_EQ(mainShown, 0);
    EXPECT_EQ(quits(a), 0);

    // On a server, Connect stores the console, hides it and closes the list;
    // closing after the connect leaves it hidden.
    dialogs.clear();
    desktop.showWindow(a.handle(), true);
    list->select(keyOf(a));
    list->Connect();
    EXPECT_EQ(bridge.SelectedConsole(), a.handle());
    EXPECT_FALSE(desktop.isWindowVisible(a.handle()));
    EXPECT_EQ(mainShown, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(dialogs.asked().empty());
    list->windowClosing();
    EXPECT_FALSE(desktop.isWindowVisible(a.handle()));
}

TEST_F(ServerListTest, ServerHandleAcceptsOnlyHwndWithAPositiveNumber)
{
    EXPECT_EQ(ServerList::serverHandle("hwnd42"), 42);
    EXPECT_EQ(ServerList::serverHandle("hwnd2147483647"), 2147483647);
    for (const char* key : {"hwnd", "hwnd0", "hwnd-5", "hwnd2147483648", "hwnd12a", "1.2.3.4", "10.0.0.12", "REFRESH"})
        EXPECT_FALSE(ServerList::serverHandle(key)) << key;
}

// Show reveals and focuses the selected console; Kill sends it QUIT
// unasked and rebuilds the list.
TEST_F(ServerListTest, ShowRevealsTheSelectedConsoleAndKillQuitsIt)
{
    SimConsole& a = addServer("A");
    SimConsole& b = addServer("B");
    list->load();
    ASSERT_FALSE(desktop.isWindowVisible(a.handle()));
    list->select(keyOf(a));
    list->ShowServer();
    EXPECT_TRUE(desktop.isWindowVisible(a.handle()));
    EXPECT_EQ(desktop.focused(), a.handle());

    list->select(keyOf(b));
    list->KillServer();
    EXPECT_EQ(b.entered().back(), "QUIT");
    EXPECT_EQ(texts(), std::vector<std::string>{"Quake 3 Arena [A]"});
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_EQ(quits(a), 0);
    EXPECT_EQ(mainShown, 0);
}

TEST_F(ServerListTest, SetDefaultStoresOnlyOnYesThenOffersToClear)
{
    SimConsole& a = addServer("Main Arena");
    list->load();
    list->select(keyOf(a));
    dialogs.queueAnswer(Answer::No);
    list->SetDefaultServer();
    EXPECT_EQ(dialogs.asked().size(), 1u);
    EXPECT_FALSE(settings.has("Ravelin", "Launch", "DefaultServer"));

    dialogs.clear();
    dialogs.queueAnswer(Answer::Yes);
    list->SetDefaultServer();
    ASSERT_EQ(dialogs.asked().size(), 2u);
    EXPECT_EQ(box(0),
              std::tuple("Would you like to set \"Quake 3 Arena [Main Arena]\" as the default server?",
                         "Quake 3: Ravelin", Dialogs::Buttons::YesNo));
    EXPECT_EQ(box(1),
              std::tuple("Default server has been set.  If you change the Name of your server, you will have "
                         "to set it as the default again...",
                         "Quake 3: Ravelin", Dialogs::Buttons::Ok));
    EXPECT_EQ(storedDefault(), "Quake 3 Arena [Main Arena]");

    // Set Default on the current default offers to clear it.
    for (Answer answer : {Answer::No, Answer::Yes}) {
        dialogs.clear();
        dialogs.queueAnswer(answer);
        list->SetDefaultServer();
        EXPECT_EQ(dialogs.askedTexts(),
                  std::vector<std::string>{"The currently selected server is already set to "
                                           "default, would you like to delete that setting?"});
        EXPECT_EQ(dialogs.asked()[0].buttons, Dialogs::Buttons::YesNo);
        EXPECT_EQ(storedDefault(), answer == Answer::No ? "Quake 3 Arena [Main Arena]" : "");
    }
}

TEST_F(ServerListTest, QuitAskedShowsEveryConsoleAndEnds)
{
    SimConsole& a = addServer("A");
    list->load();
    SimConsole& late = addServer("Late"); // appeared after the build
    desktop.showWindow(late.handle(), false);
    list->Quit();
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(box(0), std::tuple("Are you sure you want to quit?", "Quit Quake 3:Ravelin?", Dialogs::Buttons::YesNo));
    EXPECT_EQ(ended, 0);
    EXPECT_FALSE(desktop.isWindowVisible(a.handle()));

    dialogs.queueAnswer(Answer::Yes);
    list->Quit();
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(desktop.isWindowVisible(a.handle()));
    EXPECT_TRUE(desktop.isWindowVisible(late.handle()));
}

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
    EXPECT_EQ(quits(a), 0);
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
