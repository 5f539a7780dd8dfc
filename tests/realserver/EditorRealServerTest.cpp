// The editor page on the real OpenArena server: server.cfg in the home
// folder, started with +exec, is listed and marked beside the package's
// debian_server.cfg (a link out of the folders, so not opened); an edit
// saved and exec'd renames the server, and the game's "unknown command"
// line points at the line that caused it.
#include "mainwindow/ConfigEditorFixture.h"
#include "realserver/RealServerSupport.h"

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct EditorRealServerTest : ConfigEditorFixture {
    TempDir home{"ravelin-oahome"};

    void SetUp() override
    {
        if (!openArenaInstalled())
            GTEST_SKIP() << "openarena-server not installed";
        std::filesystem::create_directories(home.path() / "baseoa");
        std::ofstream(home.path() / "baseoa" / "server.cfg", std::ios::binary) << original;
        ASSERT_TRUE(startOpenArena(host, bridge, home.path(), freeUdpPort(), {"+exec", "server.cfg"}))
            << host.logText();
        openWindow();
        ASSERT_TRUE(waitForQt([&] { return window->activations() == 1; }));
    }
};

} // namespace

TEST_F(EditorRealServerTest, AnEditedServerCfgRenamesTheServerAndItsUnknownCommandIsTiedToItsLine)
{
    ASSERT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Before");
    openServerCfg();
    const auto packaged = files()->findItems("debian_server.cfg", Qt::MatchExactly);
    ASSERT_EQ(packaged.size(), 1);
    EXPECT_NE(packaged.first()->toolTip().indexOf("outside the server's folders"), -1);

    editAndSave(home.path() / "baseoa" / "server.cfg", "Edited Real Arena");
    execAndFindTheUnknownCommand("unknown command: banana");
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Edited Real Arena");
    EXPECT_TRUE(dialogs.asked().empty());
}
