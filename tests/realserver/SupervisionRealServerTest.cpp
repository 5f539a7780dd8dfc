// Debian's OpenArena server killed outright inside its console host: the
// host starts it again and the main window's roster fills again. Prints the
// time from the kill to the refilled roster.
#include "realserver/RealServerSupport.h"
#include "../mainwindow/HostedMainWindow.h"
#include "platform/qt/QtUdpSocket.h"

#include <QCheckBox>

#include <csignal>
#include <cstdio>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct RealServerSupervision : HostedMainWindowTest {
    QtUdpSocket socket;
};

} // namespace

TEST_F(RealServerSupervision, AKilledServerComesBackAndTheRosterFillsAgain)
{
    if (!openArenaInstalled())
        GTEST_SKIP() << "openarena-server not installed";
    TempDir home("ravelin-oahome");
    // Bots added on the command line come back with every start.
    std::vector<std::string> command = openArenaCommand(home.path(), freeUdpPort());
    for (const char* bot : {"Sarge", "Major"})
        command.insert(command.end(), {"+addbot", bot});
    ASSERT_TRUE(host.start(command)) << host.logText();
    ASSERT_TRUE(waitForQt(
        [&] { return bridge.ReadConsoleOutputOf(host.handle()).find("InitGame:") != std::string::npos; }, 60000));
    udp = &socket;
    openWindow();
    window->findChild<QCheckBox*>("chkClient")->click();
    auto rows = [&] { return window->session().clients().roster().rows().size(); };
    ASSERT_TRUE(waitForQt([&] { return rows() >= 2; }, 60000));

    const auto killed = std::chrono::steady_clock::now();
    auto since = [&] {
        return static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - killed).count());
    };
    ASSERT_EQ(::kill(windows.serverPid(host.handle()), SIGKILL), 0);
    ASSERT_TRUE(waitForQt(
        [&] { return window->displayText().find(MainSession::kServerRestarted) != std::string::npos; }, 30000));
    const long long seen = since();
    EXPECT_TRUE(waitForQt([&] { return rows() >= 2 && window->session().consolePresent(); }, 60000));
    std::printf("from SIGKILL to the restart seen by the window: %lld ms; to a refilled roster: %lld ms\n", seen,
                since());
}
