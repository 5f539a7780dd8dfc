// The main window against a real console host: ravelin-console running
// q3sim in this test's private runtime folder, reached over the window
// manager of the program itself. It follows the console line by line, and a
// server its host started again: the console page says so, the roster fills
// again, no Re-Initialize; and the desktop is told, through a notification
// service of the test's own on a private session bus.
#include "HostedMainWindow.h"
#include "platform/qt/DBusNotifier.h"
#include "platform/qt/QtUdpSocket.h"
#include "realserver/RealServerSupport.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace ravelin;
using namespace ravelin::test;

namespace {

// org.freedesktop.Notifications as far as Notify goes: "summary|body" of each.
class FakeNotificationService final : public QDBusVirtualObject {
public:
    std::vector<std::string> received;
    std::vector<std::chrono::steady_clock::time_point> at;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != "Notify" || message.arguments().size() != 8)
            return false;
        received.push_back((message.arguments()[3].toString() + "|" + message.arguments()[4].toString()).toStdString());
        at.push_back(std::chrono::steady_clock::now());
        connection.send(message.createReply(QVariant::fromValue(1u)));
        return true;
    }
    bool got(const std::string& text) const
    {
        return std::any_of(received.begin(), received.end(),
                           [&](const std::string& r) { return r.find(text) != std::string::npos; });
    }
};

struct RestartFollowTest : HostedMainWindowTest {
    // Outlives the window, which queries through it until it unloads.
    QtUdpSocket socket;
    TempDir busDir{"ravelin-bus"};
    ChildProcess bus;
    FakeNotificationService service;

    void SetUp() override
    {
        const std::string address = "unix:path=" + (busDir.path() / "bus").string();
        bus = ChildProcess({"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address},
                           busDir.path() / "log");
        ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(busDir.path() / "bus"); }))
            << readFile(busDir.path() / "log");
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        QDBusConnection connection = QDBusConnection::sessionBus();
        ASSERT_TRUE(connection.registerService("org.freedesktop.Notifications"));
        ASSERT_TRUE(connection.registerVirtualObject("/org/freedesktop/Notifications", &service));
    }
};

} // namespace

TEST_F(HostedMainWindowTest, ConsolePageFollowsTheServerLineByLineAndClearingEmptiesBothSides)
{
    startServerAndWindow({"+set", "sv_hostname", "Integration Arena", "+set", "net_port", "0", "+set", "fs_basepath",
                          appFolder.path().string(), "--players", "Bob"});
    EXPECT_EQ(window->GameBasePath(), appFolder.path().string());
    ASSERT_TRUE(waitForQt([&] { return window->displayText() == serverOutput(); })) << window->displayText();
    EXPECT_NE(window->displayText().find("Opening IP socket"), std::string::npos);

    for (int i = 1; i <= 30; ++i)
        window->ConsoleOut("echo line " + std::to_string(i));
    ASSERT_TRUE(waitForQt([&] {
        const std::string text = window->displayText();
        return text.find("\r\nline 30\r\n") != std::string::npos && text == serverOutput();
    })) << window->displayText();
    // Each line shows exactly once and in order.
    const std::string text = window->displayText();
    std::size_t at = 0;
    for (int i = 1; i <= 30; ++i) {
        const std::string line = "\r\nline " + std::to_string(i) + "\r\n";
        std::size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << i;
        EXPECT_EQ(text.find(line, found + 1), std::string::npos) << i;
        at = found;
    }

    QTest::mouseClick(window->findChild<QPushButton*>("cmdClear"), Qt::LeftButton);
    EXPECT_EQ(window->displayText(), "");
    EXPECT_EQ(window->findChild<QPlainTextEdit*>("txtDisplay")->toPlainText(), "");
    ASSERT_TRUE(waitForQt([&] { return serverOutput().empty(); })) << serverOutput();

    window->ConsoleOut("echo after the clear");
    ASSERT_TRUE(waitForQt([&] { return window->displayText() == "]echo after the clear\r\nafter the clear\r\n"; }))
        << window->displayText();
}

TEST_F(RestartFollowTest, ACrashedServerIsFollowedWhenItComesBack)
{
    udp = &socket;
    startServerAndWindow({"+set", "net_port", std::to_string(freeUdpPort()), "--players", "Bob,Ann"});
    window->findChild<QCheckBox*>("chkClient")->click();
    auto rows = [&] { return window->session().clients().roster().rows().size(); };
    ASSERT_TRUE(waitForQt([&] { return rows() == 2; }));

    const auto crashed = std::chrono::steady_clock::now();
    bridge.SendConsoleCommandTo("sim_crash", host.handle());
    ASSERT_TRUE(waitForQt([&] { return window->displayText().find(MainSession::kServerDown) != std::string::npos; }))
        << window->displayText();
    EXPECT_FALSE(window->findChild<QListWidget*>("lstClients")->isEnabled());
    ASSERT_TRUE(waitForQt([&] {
        return window->displayText().find(MainSession::kServerRestarted) != std::string::npos;
    })) << window->displayText();
    EXPECT_TRUE(waitForQt([&] { return rows() == 2 && window->session().consolePresent(); }));
    EXPECT_TRUE(window->findChild<QListWidget*>("lstClients")->isEnabled());

    // Crashed and started again reach the desktop; joins are off until chosen.
    EXPECT_TRUE(waitForQt([&] { return service.got("server started again|"); }));
    ASSERT_TRUE(service.got("server crashed|restarting in ")) << service.received.size();
    // A figure, not a check: from the crash command to the desktop's notice.
    std::printf("crash to notification: %lld ms\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(service.at.front() - crashed).count()));
    EXPECT_FALSE(service.got("player joined"));
    auto* joins = child<QCheckBox>(window.get(), "chkNotifyPlayerJoined");
    EXPECT_EQ(joins->accessibleName(), "Player joined");
    joins->click();
    EXPECT_EQ(settings.getSetting(kSettingsApp, "Notifications", "PlayerJoined", ""), "1");
}

TEST_F(RestartFollowTest, NotificationBodiesAreTextAndNoBusIsSilent)
{
    DBusNotifier notifier;
    notifier.notify("Arena: banned player kicked", "<b>x</b> (ban of name)");
    ASSERT_TRUE(waitForQt([&] { return !service.received.empty(); }));
    EXPECT_EQ(service.received.front(), "Arena: banned player kicked|&lt;b&gt;x&lt;/b&gt; (ban of name)");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    notifier.notify("nobody", "hears this");
    QCoreApplication::processEvents();
    EXPECT_EQ(service.received.size(), 1u);
}
