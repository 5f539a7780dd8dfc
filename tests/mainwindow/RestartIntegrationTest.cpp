// The main window follows a server its console host started again: the
// console page says so, the roster fills again, no Re-Initialize.
#include "HostedMainWindow.h"
#include "platform/qt/QtUdpSocket.h"
#include "realserver/RealServerSupport.h"

#include <QCheckBox>
#include <QListWidget>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct RestartFollowTest : HostedMainWindowTest {
    // Outlives the window, which queries through it until it unloads.
    QtUdpSocket socket;
};

} // namespace

TEST_F(RestartFollowTest, ACrashedServerIsFollowedWhenItComesBack)
{
    udp = &socket;
    startServerAndWindow({"+set", "net_port", std::to_string(freeUdpPort()), "--players", "Bob,Ann"});
    window->findChild<QCheckBox*>("chkClient")->click();
    auto rows = [&] { return window->session().clients().roster().rows().size(); };
    ASSERT_TRUE(waitForQt([&] { return rows() == 2; }));

    bridge.SendConsoleCommandTo("sim_crash", host.handle());
    ASSERT_TRUE(waitForQt([&] { return window->displayText().find(MainSession::kServerDown) != std::string::npos; }))
        << window->displayText();
    EXPECT_FALSE(window->findChild<QListWidget*>("lstClients")->isEnabled());
    ASSERT_TRUE(waitForQt([&] {
        return window->displayText().find(MainSession::kServerRestarted) != std::string::npos;
    })) << window->displayText();
    EXPECT_TRUE(waitForQt([&] { return rows() == 2 && window->session().consolePresent(); }));
    EXPECT_TRUE(window->findChild<QListWidget*>("lstClients")->isEnabled());
}
