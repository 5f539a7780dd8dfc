// Machines over ssh against a real OpenSSH server the test starts on a
// loopback port (SshServer). The far machine's consoles live in a runtime
// folder of their own, so they are seen only through ssh and the relay.
#include "integration/IntegrationSupport.h"
#include "realserver/RealServerSupport.h"
#include "remote/SshServer.h"

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using namespace ravelin;
using namespace ravelin::test;

namespace {

struct RemoteTest : testing::Test, FarLink {
    TempDir farRuntime{"ravelin-far-runtime"};
    SshServer sshd;
    std::vector<ConsoleHostProcess> farHosts;

    void SetUp() override
    {
        if (std::string why = SshServer::missing(); !why.empty())
            GTEST_SKIP() << why;
        fs::permissions(farRuntime.path(), fs::perms::owner_all);
        ASSERT_TRUE(sshd.start(farRuntime.path())) << sshd.log();
    }

    // A console on the far machine (in its runtime folder) running `command`.
    void startFarServer(const std::vector<std::string>& command)
    {
        const std::string own = std::getenv("XDG_RUNTIME_DIR");
        setenv("XDG_RUNTIME_DIR", farRuntime.path().c_str(), 1);
        farHosts.emplace_back();
        const bool started = farHosts.back().start(command);
        setenv("XDG_RUNTIME_DIR", own.c_str(), 1);
        ASSERT_TRUE(started) << farHosts.back().logText();
    }

    // A q3sim console on the far machine.
    void startFar(const std::string& name)
    {
        startFarServer({(binDir() / "q3sim").string(), "+set", "sv_hostname", name, "+set", "net_port", "0"});
    }

    std::vector<std::string> ssh(const fs::path& config)
    {
        return ipc::sshRelayCommand(sshd.target(), sshd.port(), "", config.string());
    }

    // The far machine in Ravelin's own settings, as the operator adds it; its name.
    std::string addMachineToRavelin()
    {
        const fs::path folder = fs::path(std::getenv("XDG_CONFIG_HOME")) / "Ravelin";
        fs::create_directories(folder);
        std::ofstream(folder / "Ravelin.ini") << "[Remote]\nSshConfig=" << sshd.sshConfig().string() << "\n";
        const std::string machine = sshd.target() + ":" + std::to_string(sshd.port());
        EXPECT_EQ(runCommand({(binDir() / "ravelin").string(), "--add-machine", machine}).status, 0);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return machine;
    }
};

} // namespace

TEST_F(RemoteTest, StartWindowListsTheFarConsolesUnderASecondMachineNode)
{
    ConsoleHostProcess near;
    ASSERT_TRUE(near.startQ3sim({"+set", "sv_hostname", "Near Arena", "+set", "net_port", "0"}));
    ASSERT_NO_FATAL_FAILURE(startFar("Far One"));
    ASSERT_NO_FATAL_FAILURE(startFar("Far Two"));
    const std::string machine = addMachineToRavelin();
    const std::string ravelin = (binDir() / "ravelin").string();
    // A name that would reach ssh as an option is refused (MachinesTest has the rest).
    const CommandResult refused = runCommand({ravelin, "--add-machine", "-oProxyCommand=touch x"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("ravelin: The "), std::string::npos) << refused.err;
    const CommandResult result =
        runCommand({ravelin, "--report-start", "--driver-timeout", "60"}, std::chrono::seconds(90));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "listed: Quake 3 Arena [Near Arena]\nmachine: " + machine
                  + "   [connected]\n  listed: Quake 3 Arena [Far One]\n  listed: Quake 3 Arena [Far Two]\n");
}

// The roster's query and the dump over ssh: RelayTest (over a pipe) and the
// far OpenArena server below.
TEST_F(RemoteTest, FarConsoleResumesAfterSshdRestarts)
{
    ASSERT_NO_FATAL_FAILURE(startFar("Far Arena"));
    connect(ssh(sshd.sshConfig()));
    const WindowHandle console = farConsole();
    ASSERT_GT(console, 0) << windows.link("far")->message();
    EXPECT_EQ(probe.GetCvarValue(console, "sv_hostname"), "Far Arena");

    bool ok = false;
    const std::uint64_t mark = windows.tailStart(console, 0, ok);
    ASSERT_TRUE(ok);
    sshd.kill();
    ASSERT_TRUE(pollUntil([&] { return windows.link("far")->state() == ipc::RelayLink::State::Failed; }));
    EXPECT_NE(windows.link("far")->message().find("the connection was lost"), std::string::npos)
        << windows.link("far")->message();
    // Two attempts refused: the back-off's next step is seconds away, so
    // the link must come back through its watch on the ssh port.
    ASSERT_TRUE(pollUntil([&] { return windows.link("far")->retryDelay() >= std::chrono::seconds(8); }));
    ASSERT_TRUE(sshd.start(farRuntime.path()));
    ASSERT_EQ(runCommand({"/usr/bin/env", "XDG_RUNTIME_DIR=" + farRuntime.path().string(),
                          (binDir() / "ravelin-console").string(), "send", std::to_string(farHosts.back().handle()),
                          "say while sshd was away"},
                         std::chrono::seconds(10))
                  .status,
              0);
    EXPECT_TRUE(pollUntil(
        [&] {
            LineBatch batch = windows.readLines(console, mark, 65536);
            return batch.ok && batch.first == mark + 1 && !batch.lines.empty()
                && batch.lines.back().text.find("while sshd was away") != std::string::npos;
        },
        std::chrono::seconds(20)));
    EXPECT_EQ(windows.link("far")->earlyStarts(), 1u);
}

TEST_F(RemoteTest, RefusedKeyAndUnknownHostKeyAreSaid)
{
    struct Case {
        bool knownHost;
        bool knownKey;
        const char* said;
    };
    for (const Case& c : {Case{true, false, "refused the key"}, Case{false, true, "host key is unknown"}}) {
        ipc::RelayLink link(ssh(sshd.variantConfig("variant", c.knownHost, c.knownKey)));
        link.start();
        ASSERT_TRUE(waitFor(
            [&] {
                link.poll();
                return link.state() == ipc::RelayLink::State::Failed;
            },
            std::chrono::seconds(15)));
        EXPECT_NE(link.message().find(c.said), std::string::npos) << link.message();
    }
}

// Debian's OpenArena server behind the relay: the probe, the status query
// made on the far loopback with its bots, the dump it writes, and a main
// window of Ravelin opened on it.
TEST_F(RemoteTest, FarOpenArenaServerAnswersProbeStatusDumpAndMainWindow)
{
    if (!openArenaInstalled())
        GTEST_SKIP() << "openarena-server not installed";
    TempDir home{"ravelin-far-oahome"};
    ASSERT_NO_FATAL_FAILURE(
        startFarServer(openArenaCommand(home.path(), freeUdpPort(), {"+set", "sv_hostname", "Far Real Arena"})));
    connect(ssh(sshd.sshConfig()));
    const WindowHandle console = farConsole(
        std::chrono::seconds(60), [&](WindowHandle c) { return probe.GetCvarValue(c, "mapname") == "oa_dm1"; });
    ASSERT_GT(console, 0);
    EXPECT_EQ(probe.GetCvarValue(console, "sv_hostname"), "Far Real Arena");
    ASSERT_TRUE(bridge.ExecCommand(console, "addbot Sarge 2", 5000).ok);
    std::string reply;
    EXPECT_TRUE(waitFor([&] { return (reply = statusReply(console)).find(" \"Sarge\"\n") != std::string::npos; },
                        std::chrono::seconds(30)))
        << reply;
    ASSERT_TRUE(bridge.ExecCommand(console, "WRITECONFIG ravelin_tmp.cfg", 5000).ok);
    const std::string dump = serverDump(console, home.path() / "baseoa" / "ravelin_tmp.cfg").value_or("");
    EXPECT_NE(dump.find("sv_hostname \"Far Real Arena\""), std::string::npos) << dump;

    // Ravelin's main window, opened on it from the start window, shows its console.
    addMachineToRavelin();
    const CommandResult main =
        runCommand({(binDir() / "ravelin").string(), "--connect", "Far Real Arena", "--driver-timeout", "60"},
                   std::chrono::seconds(90));
    EXPECT_EQ(main.status, 0) << main.err;
    EXPECT_NE(main.out.find("console output is showing"), std::string::npos) << main.out;
}
