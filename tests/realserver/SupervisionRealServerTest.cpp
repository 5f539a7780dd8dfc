// Debian's OpenArena server killed outright inside its console host: the
// host starts it again and the main window's roster fills again. Prints the
// time from the kill to the refilled roster.
#include "realserver/RealServerSupport.h"
#include "../mainwindow/QtTestApp.h"
#include "integration/IntegrationSupport.h"
#include "mainwindow/FrmMain.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/qt/QtUdpSocket.h"
#include "platform/sim/SimServices.h"

#include <QCheckBox>

#include <csignal>
#include <cstdio>

using namespace ravelin;
using namespace ravelin::test;

TEST(RealServerSupervision, AKilledServerComesBackAndTheRosterFillsAgain)
{
    if (!openArenaInstalled())
        GTEST_SKIP() << "openarena-server not installed";
    TempDir home("ravelin-oahome");
    TempDir appFolder("ravelin-app");
    ConsoleHostProcess host;
    // Bots added on the command line come back with every start.
    std::vector<std::string> command = openArenaCommand(home.path(), freeUdpPort());
    for (const char* bot : {"Sarge", "Major"})
        command.insert(command.end(), {"+addbot", bot});
    ASSERT_TRUE(host.start(command)) << host.logText();
    ipc::IpcWindowManager windows;
    QtMessageLoop loop;
    ConsoleBridge bridge(windows, loop);
    CvarProbe probe(bridge);
    bridge.setSelectedConsole(host.handle());
    auto output = [&] { return bridge.ReadConsoleOutputOf(host.handle()); };
    ASSERT_TRUE(waitForQt([&] { return output().find("InitGame:") != std::string::npos; }, 60000)) << output();

    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;
    QtUdpSocket socket;
    MainServices services{bridge, probe, settings, dialogs, appFolder.path()};
    services.udp = &socket;
    FrmMain window(std::move(services));
    window.load();
    window.show();
    window.findChild<QCheckBox*>("chkClient")->click();
    auto rows = [&] { return window.session().clients().roster().rows().size(); };
    ASSERT_TRUE(waitForQt([&] { return rows() >= 2; }, 60000));

    const auto killed = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(windows.serverPid(host.handle()), SIGKILL), 0);
    ASSERT_TRUE(
        waitForQt([&] { return window.displayText().find(MainSession::kServerRestarted) != std::string::npos; }, 30000))
        << window.displayText();
    const auto seen =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - killed).count();
    EXPECT_TRUE(waitForQt([&] { return rows() >= 2 && window.session().consolePresent(); }, 60000));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - killed).count();
    std::printf("from SIGKILL to the restart seen by the window: %lld ms; to a refilled roster: %lld ms\n",
                static_cast<long long>(seen), static_cast<long long>(ms));
    EXPECT_NE(output().find("*** The server ended by signal 9 (SIGKILL)"), std::string::npos);
    window.unload();
}
