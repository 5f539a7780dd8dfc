// Ravelin's side against `ravelin-console relay` over a pipe pair (no ssh):
// the consoles of the "far" machine are reached only through the relay (the
// local window manager looks at an empty folder), and used as local ones.
#include "console/PumpFixture.h"
#include "integration/IntegrationSupport.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <fstream>
#include <set>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct RelayTest : testing::Test, FarLink {
    TempDir basepath{"ravelin-basepath"};
    ConsoleHostProcess host;

    void SetUp() override
    {
        ASSERT_TRUE(host.startQ3sim({"--players", "Bob,Two Words", "+set", "sv_hostname", "Far Arena", "+set",
                                     "net_port", "0", "+set", "fs_basepath", basepath.path().string()}));
        connect({(binDir() / "ravelin-console").string(), "relay"});
        console = farConsole();
        ASSERT_GT(console, 0);
    }
    WindowHandle console = 0;
};

} // namespace

TEST_F(RelayTest, FarConsoleIsFoundProbedAndDrivenThroughTheBridge)
{
    EXPECT_EQ(windows.machineOf(console), "far");
    EXPECT_TRUE(windows.isRemote(console));
    EXPECT_EQ(windows.findNextWindow(0, kConsoleTitle), console);
    EXPECT_GT(bridge.FindOutputBoxOf(console), 0);
    EXPECT_EQ(probe.GetCvarValue(console, "sv_hostname"), "Far Arena");

    CommandOutput output = bridge.ExecCommand(console, "status", 5000);
    ASSERT_TRUE(output.ok) << output.error;
    EXPECT_THAT(output.lines, testing::Contains(testing::HasSubstr("Two Words")));

    // A line sent is numbered on the far host and read back after the mark.
    bool ok = false;
    const std::uint64_t mark = windows.tailStart(console, 0, ok);
    ASSERT_TRUE(ok);
    ASSERT_TRUE(windows.sendLine(console, "say over the relay"));
    EXPECT_TRUE(waitFor([&] {
        return std::ranges::any_of(windows.readLines(console, mark, 65536).lines, [](const NumberedLine& l) {
            return l.text.find("over the relay") != std::string::npos;
        });
    }));
    // Showing acts on this desktop only: the far window stays as it was.
    const bool visible = windows.isWindowVisible(console);
    windows.showWindow(console, !visible);
    EXPECT_EQ(windows.isWindowVisible(console), visible);
}

TEST_F(RelayTest, StatusQueryIsMadeByTheRelayOnItsLoopback)
{
    const std::string reply = statusReply(console);
    EXPECT_EQ(reply.rfind("\xff\xff\xff\xffstatusResponse\n", 0), 0u) << reply;
    EXPECT_NE(reply.find("\"Two Words\""), std::string::npos);

    // Handling a reply asks the console again (as the roster does, for the
    // STATUS table) while other replies wait behind it in the same read.
    int tables = 0;
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(windows.queryStatus(
            console, [&](const std::string&) { tables += bridge.ExecCommand(console, "status", 5000).ok ? 1 : 0; }));
    EXPECT_TRUE(pollUntil([&] { return tables == 6; })) << tables;
}

TEST_F(RelayTest, RelayReadsTheServersOwnDumpAndNothingElse)
{
    const auto dump = basepath.path() / "ravelin_tmp.cfg";
    ASSERT_TRUE(bridge.ExecCommand(console, "WRITECONFIG ..\\ravelin_tmp.cfg", 5000).ok);
    const std::optional<std::string> text = serverDump(console, dump);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("seta sv_hostname \"Far Arena\""), std::string::npos) << *text;
    EXPECT_FALSE(std::filesystem::exists(dump));

    // Same name elsewhere, another name in the right folder, a way out of it.
    for (const std::string& path :
         {empty.path().string() + "/ravelin_tmp.cfg", basepath.path().string() + "/q3config.cfg",
          basepath.path().string() + "/../etc/ravelin_tmp.cfg"}) {
        std::ofstream(path) << "seta secret 1\n";
        EXPECT_FALSE(windows.readServerFile(console, path, true).has_value()) << path;
    }
    EXPECT_TRUE(std::filesystem::exists(basepath.path() / "q3config.cfg"));
}

TEST_F(RelayTest, PumpSaysConsoleGoneAndCarriesOnFromItsLineWhenTheLinkIsBack)
{
    StringDisplay display;
    std::vector<std::string> notes, lines;
    const bool unloading = false;
    bridge.setSelectedConsole(console);
    ConsolePumpHooks hooks;
    hooks.debugPrint = [&](const std::string& note) { notes.push_back(note); };
    hooks.consoleLine = [&](const std::string& line) { lines.push_back(line); };
    ConsolePump pump(bridge, display, unloading, hooks);
    pump.runPass();
    const std::uint64_t mark = pump.LLC();
    windows.link("far")->stop();
    pump.runPass();
    EXPECT_EQ(notes, std::vector<std::string>{"console gone"});
    EXPECT_TRUE(windows.consolesOf("far").empty());
    // Printed while the link was down: still in the far ring.
    ASSERT_EQ(consoleClient({"send", std::to_string(host.handle()), "say while the link was down"}).status, 0);
    windows.link("far")->start();
    ASSERT_EQ(farConsole(), console);
    ASSERT_TRUE(waitFor([&] {
        pump.runPass();
        return !lines.empty() && lines.back().find("while the link was down") != std::string::npos;
    }));
    EXPECT_EQ(notes.back(), "console back: following it after line " + std::to_string(mark));
    // Nothing handled twice: the echo and the server's answer, each once.
    std::set<std::string> seen;
    for (const std::string& line : lines)
        EXPECT_TRUE(line.find("while the link") == std::string::npos || seen.insert(line).second) << line;
}

// Each script runs in place of ssh. A refused key: RemoteTest's real sshd.
TEST(RelayLinkTest, FailuresAreSaidWithTheFarEndsOwnWords)
{
    const struct {
        const char *script, *said;
    } cases[] = {
        {"echo 'Host key verification failed.' >&2; exit 255", "host key is unknown or has changed: Host key"},
        {"echo 'bash: line 1: ravelin-console: command not found' >&2; exit 127", "no ravelin-console on the"},
        {"printf '\\000\\000\\000\\021ravelin-relay\\000\\000\\000\\143'; sleep 5", "protocol version 99"},
        {"echo 'Welcome to the machine'; sleep 5", "not the relay protocol"},
    };
    for (const auto& failure : cases) {
        ipc::RelayLink link({"/bin/sh", "-c", failure.script});
        link.start();
        ASSERT_TRUE(waitFor([&] {
            link.poll();
            return link.state() == ipc::RelayLink::State::Failed;
        })) << failure.script;
        EXPECT_NE(link.message().find(failure.said), std::string::npos) << link.message();
        // Tried again a second later, then two, doubling.
        EXPECT_EQ(link.retryDelay(), std::chrono::seconds(2));
    }
}
