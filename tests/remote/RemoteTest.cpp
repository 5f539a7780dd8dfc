// Machines over ssh against a real OpenSSH server the test starts on a
// loopback port (SshServer). The far machine's consoles live in a runtime
// folder of their own, so they are seen only through ssh and the relay.
#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "integration/IntegrationSupport.h"
#include "integration/ConsoleHostProcess.h"
#include "platform/ipc/MachineWindowManager.h"
#include "realserver/RealServerSupport.h"
#include "remote/SshServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using namespace ravelin;
using namespace ravelin::test;

namespace {

// Ravelin's side of one far machine: no local consoles, the machine's link,
// and the bridge and probe over them.
struct FarLink {
    TempDir empty{"ravelin-no-consoles"};
    ipc::IpcWindowManager local{empty.path() / "consoles"};
    ipc::MachineWindowManager windows{local};
    SleepingLoop loop;
    ConsoleBridge bridge{windows, loop};
    CvarProbe probe{bridge};

    explicit FarLink(const std::vector<std::string>& ssh) { windows.addMachine("far", ssh); }
    // The machine's first console once the link lists one and `ready` holds.
    WindowHandle firstConsole(const std::function<bool(WindowHandle)>& ready, std::chrono::seconds timeout)
    {
        WindowHandle console = 0;
        waitFor(
            [&] {
                auto consoles = windows.consolesOf("far");
                console = consoles.empty() ? 0 : consoles.front();
                return console > 0 && ready(console);
            },
            timeout);
        return console > 0 && ready(console) ? console : 0;
    }
};

struct RemoteTest : testing::Test {
    TempDir farRuntime{"ravelin-far-runtime"};
    TempDir basepath{"ravelin-far-base"};
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
        startFarServer({(binDir() / "q3sim").string(), "--players", "Bob,Two Words", "+set", "sv_hostname", name,
                        "+set", "net_port", "0", "+set", "fs_basepath", basepath.path().string()});
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
    // Names that would reach ssh as options or shell words are refused.
    for (const char* bad : {"-oProxyCommand=touch x", "user@host name", "user@$(id)", "a;b@host", "user@-host"}) {
        CommandResult refused = runCommand({ravelin, "--add-machine", bad});
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_NE(refused.err.find("ravelin: The "), std::string::npos) << refused.err;
    }
    const CommandResult result =
        runCommand({ravelin, "--report-start", "--driver-timeout", "60"}, std::chrono::seconds(90));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "listed: Quake 3 Arena [Near Arena]\nmachine: " + machine
                  + "   [connected]\n  listed: Quake 3 Arena [Far One]\n  listed: Quake 3 Arena [Far Two]\n");
}

TEST_F(RemoteTest, FarConsoleServesRosterAndDumpAndResumesAfterSshdRestarts)
{
    ASSERT_NO_FATAL_FAILURE(startFar("Far Arena"));
    FarLink far(ssh(sshd.sshConfig()));
    auto& windows = far.windows;
    auto& bridge = far.bridge;
    auto& probe = far.probe;
    const WindowHandle console = far.firstConsole([](WindowHandle) { return true; }, std::chrono::seconds(15));
    ASSERT_GT(console, 0) << windows.link("far")->message();
    EXPECT_EQ(probe.GetCvarValue(console, "sv_hostname"), "Far Arena");

    std::string reply;
    ASSERT_TRUE(windows.queryStatus(console, [&](const std::string& data) { reply = data; }));
    ASSERT_TRUE(waitFor([&] {
        windows.pollMachines();
        return !reply.empty();
    }));
    EXPECT_NE(reply.find("\"Two Words\""), std::string::npos) << reply;

    ASSERT_TRUE(bridge.ExecCommand(console, "WRITECONFIG ..\\ravelin_tmp.cfg", 5000).ok);
    std::optional<std::string> dump;
    ASSERT_TRUE(waitFor([&] {
        return (dump = windows.readServerFile(console, (basepath.path() / "ravelin_tmp.cfg").string(), true))
            .has_value();
    }));
    EXPECT_NE(dump->find("sv_hostname \"Far Arena\""), std::string::npos);

    bool ok = false;
    const std::uint64_t mark = windows.tailStart(console, 0, ok);
    ASSERT_TRUE(ok);
    sshd.kill();
    ASSERT_TRUE(waitFor([&] {
        windows.pollMachines();
        return windows.link("far")->state() == ipc::RelayLink::State::Failed;
    }));
    EXPECT_NE(windows.link("far")->message().find("the connection was lost"), std::string::npos)
        << windows.link("far")->message();
    // Two attempts refused: the back-off's next step is seconds away, so
    // the link must come back through its watch on the ssh port.
    ASSERT_TRUE(waitFor([&] {
        windows.pollMachines();
        return windows.link("far")->retryDelay() >= std::chrono::seconds(8);
    }));
    ASSERT_TRUE(sshd.start(farRuntime.path()));
    ASSERT_EQ(runCommand({"/usr/bin/env", "XDG_RUNTIME_DIR=" + farRuntime.path().string(),
                          (binDir() / "ravelin-console").string(), "send", std::to_string(farHosts.back().handle()),
                          "say while sshd was away"},
                         std::chrono::seconds(10))
                  .status,
              0);
    EXPECT_TRUE(waitFor(
        [&] {
            windows.pollMachines();
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
    FarLink far(ssh(sshd.sshConfig()));
    auto& windows = far.windows;
    auto& bridge = far.bridge;
    auto& probe = far.probe;
    const WindowHandle console = far.firstConsole(
        [&](WindowHandle c) { return probe.GetCvarValue(c, "mapname") == "oa_dm1"; }, std::chrono::seconds(60));
    ASSERT_GT(console, 0);
    EXPECT_EQ(probe.GetCvarValue(console, "sv_hostname"), "Far Real Arena");
    ASSERT_TRUE(bridge.ExecCommand(console, "addbot Sarge 2", 5000).ok);

    std::string reply;
    ASSERT_TRUE(waitFor(
        [&] {
            reply.clear();
            if (!windows.queryStatus(console, [&](const std::string& data) { reply = data.empty() ? "none" : data; }))
                return false;
            waitFor([&] {
                windows.pollMachines();
                return !reply.empty();
            });
            return reply.find(" \"Sarge\"\n") != std::string::npos;
        },
        std::chrono::seconds(30)))
        << reply;

    ASSERT_TRUE(bridge.ExecCommand(console, "WRITECONFIG ravelin_tmp.cfg", 5000).ok);
    std::optional<std::string> dump;
    ASSERT_TRUE(waitFor([&] {
        return (dump = windows.readServerFile(console, (home.path() / "baseoa" / "ravelin_tmp.cfg").string(), true))
            .has_value();
    }));
    EXPECT_NE(dump->find("sv_hostname \"Far Real Arena\""), std::string::npos);

    // Ravelin's main window, opened on it from the start window, shows its console.
    addMachineToRavelin();
    const CommandResult main =
        runCommand({(binDir() / "ravelin").string(), "--connect", "Far Real Arena", "--driver-timeout", "60"},
                   std::chrono::seconds(90));
    EXPECT_EQ(main.status, 0) << main.err;
    EXPECT_NE(main.out.find("console output is showing"), std::string::npos) << main.out;
}
