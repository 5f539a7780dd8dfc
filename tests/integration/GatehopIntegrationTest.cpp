// gatehop started the way a launcher starts a server binary: the real
// server (q3sim) comes up inside ravelin-console with the same arguments,
// and ravelin (offscreen) connects to that console and loads its main window.
#include "integration/ConsoleHostProcess.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace ravelin::test;

namespace {

std::string console(const std::vector<std::string>& args) { return consoleClient(args).out; }

// The console host's handle (its pid) from `ravelin-console list`, by host name.
std::string listedHandle(const std::string& hostname)
{
    std::istringstream lines(console({"list"}));
    for (std::string line; std::getline(lines, line);)
        if (line.size() > hostname.size()
            && line.compare(line.size() - hostname.size(), hostname.size(), hostname) == 0)
            return line.substr(0, line.find('\t'));
    return {};
}

// Processes whose command line holds these words in a row.
std::vector<pid_t> processesWith(const std::vector<std::string>& words)
{
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::vector<std::string> args;
        for (std::string arg; std::getline(in, arg, '\0');)
            args.push_back(arg);
        for (std::size_t i = 0; i + words.size() <= args.size(); ++i)
            if (std::equal(words.begin(), words.end(), args.begin() + std::ptrdiff_t(i)))
                found.push_back(pid_t(std::stol(name)));
    }
    return found;
}

TEST(GatehopIntegrationTest, StartedAsTheServerBringsUpConsoleAndRavelin)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // The game folder after the operator followed the instructions: the
    // server renamed with a "b", the shim under the server's name.
    TempDir game("ravelin-game");
    fs::copy_file(binDir() / "gatehop", game.path() / "q3ded");
    fs::create_symlink(binDir() / "q3sim", game.path() / "q3dedb");
    // Where the start window last recorded ravelin, and a version file that
    // keeps the start off the network.
    const fs::path config = fs::path(std::getenv("XDG_CONFIG_HOME")) / "Ravelin";
    fs::create_directories(config);
    std::ofstream(game.path() / "version.txt") << "1.0.448 http://x/r.zip file:///x\n";
    std::ofstream(config / "Ravelin.ini")
        << "[Settings]\nEXEPath=" << (binDir() / "ravelin").string() << "\n[Updates]\nNextLoc=file://"
        << (game.path() / "version.txt").string() << "\n";

    ChildProcess shim({(game.path() / "q3ded").string(), "+set", "sv_hostname", "Gatehop Arena", "+set", "net_port",
                       "0", "--players", "Bob"},
                      game.path() / "gatehop.log");
    std::string handle;
    ASSERT_TRUE(waitFor([&] { return !(handle = listedHandle("Gatehop Arena")).empty(); }, std::chrono::seconds(30)))
        << readFile(game.path() / "gatehop.log");

    // ravelin runs with --console on that host and its main window loaded:
    // it hid the console it drives (its own queries never show in it).
    ASSERT_TRUE(waitFor([&] { return !processesWith({"--console", handle}).empty(); }, std::chrono::seconds(30)));
    const pid_t ravelin = processesWith({"--console", handle}).front();
    EXPECT_TRUE(waitFor([&] { return console({"list"}).find(handle + "\thidden\t") != std::string::npos; },
                        std::chrono::seconds(60)))
        << console({"list"});

    // The server's end is the shim's end, with the server's status.
    // Typed while ravelin's main window may still be typing its own
    // queries into the same console: the line must arrive all the same.
    const CommandResult quit = consoleClient({"send", handle, "QUIT"});
    EXPECT_EQ(quit.status, 0) << quit.err;
    EXPECT_EQ(shim.wait(std::chrono::seconds(30)), 0) << console({"read", handle});
    kill(ravelin, SIGTERM);
    EXPECT_TRUE(waitFor([&] { return processGone(ravelin); }, std::chrono::seconds(15)));
}

TEST(GatehopIntegrationTest, WithoutARealServerItSaysWhatToDo)
{
    TempDir game("ravelin-game");
    fs::copy_file(binDir() / "gatehop", game.path() / "lonely");
    const CommandResult result = runCommand({(game.path() / "lonely").string(), "+map", "q3dm1"});
    EXPECT_EQ(result.status, 127);
    EXPECT_NE(result.err.find("rename it to lonelyb"), std::string::npos) << result.err;
}

// A web server that takes the request and never answers, like a network
// that swallows packets: the start window must list the servers all the same.
TEST(StartupVersionCheckTest, AHangingCheckDoesNotHoldTheStartWindow)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TempDir dir("ravelin-startup");
    ChildProcess web({"/usr/bin/env", "python3", "-u", "-c",
                      "import socket, time\n"
                      "s = socket.socket(); s.bind(('127.0.0.1', 0)); s.listen()\n"
                      "print(s.getsockname()[1])\n"
                      "c, _ = s.accept(); print(c.recv(4096).split(b'\\r\\n')[0].decode())\n"
                      "time.sleep(300)\n"},
                     dir.path() / "web.log");
    std::string port;
    ASSERT_TRUE(waitFor([&] {
        port = readFile(dir.path() / "web.log");
        return port.find('\n') != std::string::npos;
    })) << "python3 did not start";
    port.resize(port.find('\n'));

    ConsoleHostProcess server;
    ASSERT_TRUE(server.startQ3sim({"+set", "sv_hostname", "Patient Arena", "+set", "net_port", "0"}));
    const fs::path config = fs::path(std::getenv("XDG_CONFIG_HOME")) / "Ravelin";
    fs::create_directories(config);
    std::ofstream(config / "Ravelin.ini") << "[Updates]\nNextLoc=http://127.0.0.1:" << port << "/ravelin/version.txt\n";

    ChildProcess ravelin({(binDir() / "ravelin").string()}, dir.path() / "ravelin.log");
    // The start window listed (and so hid) the console while the check waits.
    EXPECT_TRUE(waitFor([&] { return console({"list"}).find("\thidden\trunning\tPatient Arena") != std::string::npos; },
                        std::chrono::seconds(30)))
        << console({"list"});
    EXPECT_TRUE(waitFor(
        [&] { return readFile(dir.path() / "web.log").find("GET /ravelin/version.txt HTTP/1.1") != std::string::npos; },
        std::chrono::seconds(30)))
        << readFile(dir.path() / "web.log");
    EXPECT_TRUE(ravelin.running());
}

// Ended by a signal (logout, kill, a service manager), ravelin shows again
// the consoles it hid, from the main window and from the start window.
TEST(RavelinSignalTest, TerminatedItGivesBackTheConsolesItHid)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ConsoleHostProcess server;
    ASSERT_TRUE(server.startQ3sim({"+set", "sv_hostname", "Signal Arena", "+set", "net_port", "0"}));
    const std::string handle = std::to_string(server.handle());
    auto listed = [&](const char* state) {
        return console({"list"}).find(std::string("\t") + state + "\trunning\tSignal Arena") != std::string::npos;
    };
    struct Case {
        const char* window;
        std::vector<std::string> options;
    };
    // Either window hides the console once it is up.
    for (const Case& c : {Case{"main window", {"--console", handle}}, Case{"start window", {}}}) {
        SCOPED_TRACE(c.window);
        TempDir dir("ravelin-signal");
        std::vector<std::string> argv{(binDir() / "ravelin").string(), "--no-version-check"};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        ChildProcess ravelin(argv, dir.path() / "ravelin.log");
        ASSERT_TRUE(waitFor([&] { return listed("hidden"); }, std::chrono::seconds(30)))
            << console({"list"}) << readFile(dir.path() / "ravelin.log");
        ravelin.signal(SIGTERM);
        EXPECT_EQ(ravelin.wait(std::chrono::seconds(15)), 0) << readFile(dir.path() / "ravelin.log");
        EXPECT_TRUE(listed("visible")) << console({"list"});
        console({"clear", handle});
    }
}

} // namespace
