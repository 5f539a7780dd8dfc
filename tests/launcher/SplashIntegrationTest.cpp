// ravelin's start window against real console hosts: two ravelin-console
// processes, each running q3sim, in this test's private runtime folder.
// ravelin runs offscreen with its demo driver reporting what the start
// window did.
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ravelin::test::binDir;
using ravelin::test::waitFor;

namespace {

pid_t spawn(const std::vector<std::string>& args, int outFd)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(outFd >= 0 ? outFd : null, 1);
        if (outFd < 0)
            dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

struct Result {
    int exitCode = -1;
    std::string output;
};

// Runs a program to its end and returns its standard output.
Result run(const std::vector<std::string>& args)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    pid_t pid = spawn(args, fds[1]);
    close(fds[1]);
    Result result;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, std::size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

int countLines(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

struct SplashIntegrationTest : testing::Test {
    std::vector<pid_t> hosts;

    void SetUp() override
    {
        for (const char* program : {"ravelin", "ravelin-console", "q3sim"})
            if (!fs::exists(binDir() / program))
                GTEST_SKIP() << program << " is not built";
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    void TearDown() override
    {
        for (pid_t pid : hosts) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }

    int listed() { return countLines(run({(binDir() / "ravelin-console").string(), "list"}).output); }

    // Started one after the other, so the window manager lists them in this order.
    void startServer(const std::string& name)
    {
        const int before = listed();
        hosts.push_back(spawn({(binDir() / "ravelin-console").string(), "--headless", "--",
                               (binDir() / "q3sim").string(), "+set", "sv_hostname", name, "+set", "net_port", "0",
                               "--players", "Bob,^1Red^7Guy", "--seed", "1", "--chat-every", "4"},
                              -1));
        ASSERT_TRUE(waitFor([&] { return listed() > before; }, std::chrono::seconds(20)))
            << "console host for " << name << " did not appear";
    }

    Result ravelin(std::vector<std::string> args)
    {
        args.insert(args.begin(), (binDir() / "ravelin").string());
        args.push_back("--driver-timeout");
        args.push_back("60");
        return run(args);
    }

    static void storeDefault(const std::string& text)
    {
        const fs::path folder = fs::path(std::getenv("XDG_CONFIG_HOME")) / "Ravelin";
        fs::create_directories(folder);
        std::ofstream(folder / "Ravelin.ini") << "[Launch]\nDefaultServer=" << text << "\n";
    }
};

} // namespace

TEST_F(SplashIntegrationTest, StartWindowListsBothServersByHostName)
{
    startServer("Demo Arena One");
    startServer("Demo Arena Two");
    Result result = ravelin({"--report-start"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "listed: Quake 3 Arena [Demo Arena One]\nlisted: Quake 3 Arena [Demo Arena Two]\n");

    // Every listed console was hidden by the list build.
    Result list = run({(binDir() / "ravelin-console").string(), "list"});
    EXPECT_EQ(list.output.find("\tvisible\t"), std::string::npos) << list.output;
}

TEST_F(SplashIntegrationTest, FreshStartConnectsToTheStoredDefault)
{
    startServer("Demo Arena One");
    startServer("Demo Arena Two");
    storeDefault("Quake 3 Arena [Demo Arena Two]");
    Result result = ravelin({"--report-start"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "connected: Demo Arena Two\n");
}

TEST_F(SplashIntegrationTest, StoredDefaultNotRunningShowsTheList)
{
    startServer("Demo Arena One");
    storeDefault("Quake 3 Arena [Somewhere Else]");
    Result result = ravelin({"--report-start"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "listed: Quake 3 Arena [Demo Arena One]\n");
}

TEST_F(SplashIntegrationTest, ConnectingFromTheListFollowsTheServersOutput)
{
    startServer("Demo Arena One");
    startServer("Demo Arena Two");
    Result result = ravelin({"--connect", "Demo Arena Two"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "connected: console output is showing\n");
}

TEST_F(SplashIntegrationTest, ConnectingToAMissingServerFailsWithTheReason)
{
    startServer("Demo Arena One");
    Result result = ravelin({"--connect", "No Such Arena"});
    EXPECT_EQ(result.exitCode, 1);
}
