// A game server outlives the display of its console window: the X server
// under a windowed host is killed, the server keeps running and stays listed
// and reachable under the same handle, and `show` from another display
// brings the window back there: not while that display refuses the
// credentials the host would use (the host and its server live on), and
// with the XAUTHORITY `show` was run with.
#include "integration/IntegrationSupport.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

using namespace ravelin;
using namespace ravelin::test;

namespace {

const char* const kXvfb = "/usr/bin/Xvfb";

// The lock and socket files of display `number`.
std::filesystem::path lockOf(int number) { return "/tmp/.X" + std::to_string(number) + "-lock"; }
std::filesystem::path socketOf(int number) { return "/tmp/.X11-unix/X" + std::to_string(number); }

// Whether display `number` is free: no lock, or the lock of an X server that
// is gone (killed, as these tests kill theirs), whose files are then removed.
bool freeDisplay(int number)
{
    if (std::filesystem::exists(lockOf(number))) {
        const pid_t owner = static_cast<pid_t>(std::atol(readFile(lockOf(number)).c_str()));
        if (owner > 0 && (::kill(owner, 0) == 0 || errno != ESRCH))
            return false;
        std::filesystem::remove(lockOf(number));
    }
    std::filesystem::remove(socketOf(number));
    return true;
}

// An X server of our own on a display number nobody uses.
struct VirtualDisplay {
    ChildProcess process;
    std::string name;
    int number = 0;

    // A killed server leaves its files behind; enough of them would use up
    // every number the tests may take.
    ~VirtualDisplay()
    {
        process.stop();
        if (number > 0)
            freeDisplay(number);
    }

    // `authority`: an Xauthority file the server is to demand.
    bool start(const std::string& authority = {})
    {
        for (number = 140; number < 200; ++number) {
            if (!freeDisplay(number))
                continue;
            name = ":" + std::to_string(number);
            std::vector<std::string> command{kXvfb, name, "-nolisten", "tcp"};
            if (!authority.empty())
                command.insert(command.end(), {"-auth", authority});
            process = ChildProcess(command);
            if (waitFor([&] { return std::filesystem::exists(socketOf(number)) || !process.running(); })
                && process.running())
                return true;
        }
        number = 0;
        return false;
    }
};

// An Xauthority file with one cookie for any display (family "wild").
void writeAuthority(const std::filesystem::path& path)
{
    auto field = [](std::string_view bytes) {
        return std::string{char(bytes.size() >> 8), char(bytes.size() & 0xff)} + std::string(bytes);
    };
    std::string cookie;
    for (int i = 0; i < 16; ++i)
        cookie += char(0x5a ^ (i * 37));
    std::ofstream(path, std::ios::binary)
        << "\xff\xff" << field("") << field("") << field("MIT-MAGIC-COOKIE-1") << field(cookie);
}

std::string commandLineOf(pid_t pid)
{
    std::string text = readFile("/proc/" + std::to_string(pid) + "/cmdline");
    for (char& c : text)
        c = c == '\0' ? ' ' : c;
    return text;
}

} // namespace

class DisplayLossTest : public ConsoleFixture {
protected:
    void SetUp() override
    {
        if (::access(kXvfb, X_OK) != 0) {
            std::printf("SKIPPED: Xvfb not installed\n");
            GTEST_SKIP() << "Xvfb not installed";
        }
        unsetenv("QT_QPA_PLATFORM");
        writeAuthority(cookie);
    }
    void TearDown() override
    {
        unsetenv("DISPLAY");
        unsetenv("XAUTHORITY");
    }

    // q3sim in a windowed host on `display` (its handle, 0 when it did not start).
    WindowHandle startOn(const VirtualDisplay& display, std::vector<std::string> args = {})
    {
        setenv("DISPLAY", display.name.c_str(), 1);
        args.insert(args.begin(), {"+set", "net_port", "0"});
        return host.startQ3sim(args, {}) ? host.handle() : 0;
    }
    bool headless() { return commandLineOf(host.process().pid()).find("--headless") != std::string::npos; }
    // `show` with the credentials the display takes: the window comes back.
    void showAgain(WindowHandle console)
    {
        setenv("XAUTHORITY", cookie.c_str(), 1);
        EXPECT_EQ(consoleClient({"show", std::to_string(console)}).status, 0);
        EXPECT_TRUE(waitFor([&] {
            return !headless() && commandLineOf(host.process().pid()).find("--adopt") != std::string::npos;
        })) << host.logText();
        EXPECT_TRUE(waitFor([&] { return windows.isWindowVisible(console); }));
    }
    void quit()
    {
        bridge.SendConsoleCommandTo("quit", host.handle());
        EXPECT_EQ(host.process().wait(), 0);
    }

    ConsoleHostProcess host;
    TempDir auth;
    // What a display started with it demands; the file "none" has nothing.
    std::filesystem::path cookie = auth.path() / "Xauthority";
    std::filesystem::path noCookie = auth.path() / "none";
};

TEST_F(DisplayLossTest, ServerOutlivesTheDisplayAndTheWindowComesBackOnAnother)
{
    VirtualDisplay first;
    ASSERT_TRUE(first.start());
    const WindowHandle console = startOn(first, {"+set", "sv_hostname", "Survivor"});
    ASSERT_GT(console, 0) << host.logText();
    ASSERT_TRUE(waitForOutput(console, "Opening IP socket"));
    int serverPid = windows.serverPid(console);
    ASSERT_GT(serverPid, 0);
    ASSERT_FALSE(headless());

    first.process.signal(SIGKILL);
    ASSERT_TRUE(first.process.wait().has_value());
    // Same host process (the handle is its pid), now without a window.
    ASSERT_TRUE(waitFor([&] { return headless(); })) << host.logText();
    EXPECT_TRUE(host.process().running());
    EXPECT_FALSE(processGone(serverPid));
    EXPECT_EQ(consoleClient({"list"}).out, std::to_string(console) + "\thidden\trunning\tSurvivor\n");
    EXPECT_EQ(consoleClient({"send", std::to_string(console), "echo", "still", "here"}).status, 0);
    EXPECT_TRUE(waitForOutput(console, "\r\nstill here\r\n"));
    EXPECT_TRUE(waitForOutput(console, "the display went away"));

    VirtualDisplay second;
    ASSERT_TRUE(second.start(cookie.string()));
    setenv("DISPLAY", second.name.c_str(), 1);
    setenv("XAUTHORITY", noCookie.c_str(), 1);
    EXPECT_EQ(consoleClient({"show", std::to_string(console)}).status, 0);
    EXPECT_TRUE(waitForOutput(console, "it refused the connection")) << host.logText();
    EXPECT_TRUE(host.process().running());
    EXPECT_TRUE(headless());
    EXPECT_EQ(consoleClient({"send", std::to_string(console), "echo", "after", "refusal"}).status, 0);
    EXPECT_TRUE(waitForOutput(console, "\r\nafter refusal\r\n"));

    showAgain(console);
    EXPECT_EQ(windows.serverPid(console), serverPid);
    EXPECT_NE(output(console).find("\r\nstill here\r\n"), std::string::npos);

    quit();
    EXPECT_TRUE(processGone(serverPid));
}

// Started with a display that refuses it (a service with a stale DISPLAY),
// the host runs the server without a window instead of ending in Qt.
TEST_F(DisplayLossTest, ADisplayThatRefusesTheHostLeavesItHeadlessUntilShown)
{
    VirtualDisplay display;
    ASSERT_TRUE(display.start(cookie.string()));
    setenv("XAUTHORITY", noCookie.c_str(), 1);
    const WindowHandle console = startOn(display);
    ASSERT_GT(console, 0) << host.logText();
    ASSERT_TRUE(waitForOutput(console, "refused the connection; the server runs without a window")) << host.logText();
    ASSERT_TRUE(waitForOutput(console, "Opening IP socket"));

    showAgain(console);
    quit();
}

// The display goes while the server waits for its restart: the headless self
// starts it when due, with the same command line and counts.
TEST_F(DisplayLossTest, ARestartPendingWhenTheDisplayGoesStillHappens)
{
    VirtualDisplay display;
    ASSERT_TRUE(display.start());
    const WindowHandle console = startOn(display);
    ASSERT_GT(console, 0) << host.logText();
    for (int restart : {1, 2}) {
        ASSERT_TRUE(waitFor([&] { return windows.supervise(console).text == "running"; })) << host.logText();
        bridge.SendConsoleCommandTo("sim_crash", console);
        ASSERT_TRUE(waitForOutput(console, "(restart " + std::to_string(restart) + ")")) << host.logText();
    }
    // Restart 2 waits 4 s: time enough to lose the display first.
    display.process.signal(SIGKILL);
    ASSERT_TRUE(waitFor([&] { return headless(); })) << host.logText();
    EXPECT_TRUE(waitForOutput(console, "*** The server was started again (start 3)")) << host.logText();
    EXPECT_TRUE(waitFor([&] { return windows.supervise(console).text == "running"; }));
    EXPECT_EQ(consoleClient({"send", std::to_string(console), "echo", "back"}).status, 0);
    EXPECT_TRUE(waitForOutput(console, "\r\nback\r\n"));
    quit();
}
