// ravelin's start window against real console hosts: two ravelin-console
// processes, each running q3sim, in this test's private runtime folder.
// ravelin runs offscreen with its demo driver reporting what the start
// window did.
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace ravelin::test;

namespace {

// Hosts started one after the other, so the window manager lists them in
// this order; the stored default server ("" for none); ravelin's arguments
// and what it reports.
struct StartCase {
    std::vector<std::string> servers;
    std::string storedDefault;
    std::vector<std::string> args;
    int status;
    std::string out; // not compared when empty
};

class SplashIntegrationTest : public testing::TestWithParam<StartCase> {
protected:
    std::vector<ChildProcess> hosts;

    void SetUp() override
    {
        for (const char* program : {"ravelin", "ravelin-console", "q3sim"})
            if (!fs::exists(binDir() / program))
                GTEST_SKIP() << program << " is not built";
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    static CommandResult listHosts() { return runCommand({(binDir() / "ravelin-console").string(), "list"}); }
    static int listed()
    {
        const std::string out = listHosts().out;
        return static_cast<int>(std::count(out.begin(), out.end(), '\n'));
    }

    void startServer(const std::string& name)
    {
        const int before = listed();
        hosts.emplace_back(std::vector<std::string>{(binDir() / "ravelin-console").string(), "--headless", "--",
                                                    (binDir() / "q3sim").string(), "+set", "sv_hostname", name, "+set",
                                                    "net_port", "0", "--players", "Bob,^1Red^7Guy", "--seed", "1",
                                                    "--chat-every", "4"});
        ASSERT_TRUE(waitFor([&] { return listed() > before; }, std::chrono::seconds(20)))
            << "console host for " << name << " did not appear";
    }
};

} // namespace

TEST_P(SplashIntegrationTest, StartsAsTheHostsAndTheStoredDefaultSay)
{
    const StartCase& c = GetParam();
    for (const std::string& name : c.servers)
        ASSERT_NO_FATAL_FAILURE(startServer(name));
    if (!c.storedDefault.empty()) {
        const fs::path folder = fs::path(std::getenv("XDG_CONFIG_HOME")) / "Ravelin";
        fs::create_directories(folder);
        std::ofstream(folder / "Ravelin.ini") << "[Launch]\nDefaultServer=" << c.storedDefault << "\n";
    }
    std::vector<std::string> args{(binDir() / "ravelin").string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), {"--driver-timeout", "60"});
    const CommandResult result = runCommand(args, std::chrono::seconds(90));
    EXPECT_EQ(result.status, c.status) << result.out << result.err;
    if (!c.out.empty()) {
        EXPECT_EQ(result.out, c.out);
    }
    // Building the list hides every console it lists.
    const std::string list = listHosts().out;
    EXPECT_TRUE(c.args.front() != "--report-start" || list.find("\tvisible\t") == std::string::npos) << list;
}

const std::string kOne = "Demo Arena One";
const std::string kTwo = "Demo Arena Two";

INSTANTIATE_TEST_SUITE_P(
    Cases, SplashIntegrationTest,
    testing::Values(
        StartCase{{kOne, kTwo},
                  "",
                  {"--report-start"},
                  0,
                  "listed: Quake 3 Arena [Demo Arena One]\nlisted: Quake 3 Arena [Demo Arena Two]\n"},
        StartCase{{kOne, kTwo}, "Quake 3 Arena [Demo Arena Two]", {"--report-start"}, 0, "connected: Demo Arena Two\n"},
        StartCase{{kOne, kTwo}, "", {"--connect", kTwo}, 0, "connected: console output is showing\n"},
        StartCase{{kOne}, "", {"--connect", "No Such Arena"}, 1, ""}));
