// The real OpenArena server in a console host: found, asked through the
// probe, its STATUS table and UDP status reply read, a bot kicked, listed.
// Where its console differs from a Quake III Arena 1.32 server's, the tests
// pin down what actually arrives through the console window (colour codes
// already stripped by the host).
#include "realserver/RealServerSupport.h"
#include "integration/IntegrationSupport.h"

#include <algorithm>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct RealServerTest : ConsoleFixture {
    TempDir home{"ravelin-oahome"};
    ConsoleHostProcess host;
    int port = 0;

    void SetUp() override
    {
        if (!openArenaInstalled())
            GTEST_SKIP() << "openarena-server not installed";
        port = freeUdpPort();
        // Ready once the map runs and the status port answers.
        ASSERT_TRUE(startOpenArena(host, bridge, home.path(), port, {"+set", "sv_hostname", "Real ^1Arena^7 Test"}))
            << host.logText() << output(host.handle());
        ASSERT_TRUE(waitFor(
            [&] { return !udpQuery(port, "\xff\xff\xff\xffgetstatus", std::chrono::milliseconds(300)).empty(); },
            std::chrono::seconds(20)));
    }

    int playersInStatusReply()
    {
        const std::string reply = udpQuery(port, "\xff\xff\xff\xffgetstatus");
        return static_cast<int>(std::count(reply.begin(), reply.end(), '\n')) - 2; // statusResponse and info lines
    }
};

} // namespace

// The engine's answer lines themselves are CvarProbeTest's table (taken
// from the captured transcript).
TEST_F(RealServerTest, ProbeAnswersUnknownNamesAndWhereTheAnswerLinesDiffer)
{
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Real Arena Test");
    EXPECT_EQ(probe.GetCvarDefault(host.handle(), "sv_hostname"), "noname");

    // A value equal to its default: `"NAME" is:"VALUE", the default` (four
    // quotes): the default is the value.
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_maxclients"), "8");
    EXPECT_EQ(probe.GetCvarDefault(host.handle(), "sv_maxclients"), "8");
    auto viaClient = consoleClient({"cvar", std::to_string(host.handle()), "g_gametype", "--default"});
    EXPECT_EQ(viaClient.out, "0\n") << viaClient.err;

    // A read-only cvar has no default part at all: its default reads "".
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "version").rfind("ioq3 ", 0), 0u);
    EXPECT_EQ(probe.GetCvarDefault(host.handle(), "version"), "");

    // An unknown name is answered as such.
    auto result = consoleClient({"cvar", std::to_string(host.handle()), "nosuchcvar"});
    EXPECT_EQ(result.out, "UNKNOWN COMMAND\n") << result.err;
    // None of it reached the window.
    EXPECT_EQ(output(host.handle()).find("is:\""), std::string::npos);
    EXPECT_EQ(output(host.handle()).find("nosuchcvar"), std::string::npos);
}

TEST_F(RealServerTest, StatusTableAndStatusReplyFollowBotsAndKicks)
{
    bridge.SendConsoleCommandTo("addbot Sarge 2", host.handle());
    bridge.SendConsoleCommandTo("addbot Major 3", host.handle());
    ASSERT_TRUE(waitForOutput(host.handle(), "ClientBegin: 1\r\n", std::chrono::seconds(30)));

    // The table as the roster reads it, from the numbered lines.
    const CommandOutput status = bridge.ExecCommand(host.handle(), "STATUS", 5000);
    ASSERT_TRUE(status.ok) << status.error;
    std::string table;
    for (const std::string& line : status.lines)
        table += "\r\n" + line;
    table += "\r\n";
    EXPECT_NE(table.find("map: oa_dm1\r\n"), std::string::npos) << table;
    // Header and columns differ from 1.32: "cl" for the slot (two wide,
    // names from column 15), no lastmsg or qport, a trailing blank.
    EXPECT_NE(table.find("\r\ncl score ping name            address                                 rate \r\n"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("\r\n 0     0    0 Sarge           bot "), std::string::npos) << table;
    EXPECT_NE(table.find("\r\n 1     0    0 Major           bot "), std::string::npos) << table;

    std::string reply = udpQuery(port, "\xff\xff\xff\xffgetstatus");
    ASSERT_EQ(reply.rfind("\xff\xff\xff\xffstatusResponse\n", 0), 0u);
    EXPECT_NE(reply.find("\\sv_hostname\\Real ^1Arena^7 Test"), std::string::npos) << reply;
    EXPECT_NE(reply.find(" \"Sarge\"\n"), std::string::npos);
    EXPECT_NE(reply.find(" \"Major\"\n"), std::string::npos);
    EXPECT_EQ(playersInStatusReply(), 2);

    bridge.SendConsoleCommandTo("kick Sarge", host.handle());
    ASSERT_TRUE(waitForOutput(host.handle(), "broadcast: print \"Sarge was kicked\\n\"\r\n"));
    EXPECT_TRUE(waitFor([&] { return playersInStatusReply() == 1; }));
    bridge.SendConsoleCommandTo("kick NoSuchPlayer", host.handle());
    EXPECT_TRUE(waitForOutput(host.handle(), "Player NoSuchPlayer is not on the server\r\n"));
}

// How quit ends server and host is HostLifecycleTest's.
TEST_F(RealServerTest, IsListedWithItsHostName)
{
    auto listed = consoleClient({"list"}, std::chrono::seconds(90));
    ASSERT_EQ(listed.status, 0) << listed.err;
    // The value arrives as "Real Arena Test^7"; the host strips the codes.
    EXPECT_EQ(listed.out, std::to_string(host.handle()) + "\tvisible\trunning\tReal Arena Test\n");
    EXPECT_EQ(bridge.FindConsoleWindow(), host.handle());
}
