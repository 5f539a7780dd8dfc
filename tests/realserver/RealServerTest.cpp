// The real OpenArena server in a console host: found, asked through the
// probe, its STATUS table and UDP status reply read, a bot kicked, and quit.
// Where its console differs from a Quake III Arena 1.32 server's, the tests
// pin down what actually arrives through the console window (colour codes
// already stripped by the host).
#include "realserver/RealServerSupport.h"
#include "integration/IntegrationSupport.h"

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
            << host.logText() << output();
        ASSERT_TRUE(waitFor(
            [&] { return !udpQuery(port, "\xff\xff\xff\xffgetstatus", std::chrono::milliseconds(300)).empty(); },
            std::chrono::seconds(20)));
    }

    std::string output() { return bridge.ReadConsoleOutputOf(host.handle()); }

    bool waitForOutput(const std::string& needle, std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        return waitFor([&] { return output().find(needle) != std::string::npos; }, timeout);
    }

    int playersInStatusReply()
    {
        std::string reply = udpQuery(port, "\xff\xff\xff\xffgetstatus");
        int lines = 0;
        for (char c : reply)
            lines += c == '\n' ? 1 : 0;
        return lines - 2; // statusResponse line and info line
    }
};

} // namespace

TEST_F(RealServerTest, ProbeAnswersUnknownNamesAndWhereTheAnswerLinesDiffer)
{
    auto exec = [&](const std::string& command) {
        CommandOutput output = bridge.ExecCommand(host.handle(), command, 5000);
        EXPECT_TRUE(output.ok) << output.error;
        return output.lines;
    };
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Real Arena Test");
    EXPECT_EQ(probe.GetCvarDefault(host.handle(), "sv_hostname"), "noname");
    EXPECT_EQ(exec("sv_hostname"),
              std::vector<std::string>{"\"sv_hostname\" is:\"Real Arena Test\" default:\"noname\""});

    // A value equal to its default: `"NAME" is:"VALUE", the default` (four
    // quotes): the default is the value.
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_maxclients"), "8");
    EXPECT_EQ(exec("sv_maxclients"), std::vector<std::string>{"\"sv_maxclients\" is:\"8\", the default"});
    EXPECT_EQ(probe.GetCvarDefault(host.handle(), "sv_maxclients"), "8");
    auto viaClient = consoleClient({"cvar", std::to_string(host.handle()), "g_gametype", "--default"});
    EXPECT_EQ(viaClient.out, "0\n") << viaClient.err;

    // A read-only cvar has no default part at all: its default reads "".
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "version").rfind("ioq3 ", 0), 0u);
    EXPECT_EQ(probe.GetCvarDefault(host.handle(), "version"), "");
    std::vector<std::string> version = exec("version");
    ASSERT_EQ(version.size(), 1u);
    EXPECT_EQ(version[0].find("default"), std::string::npos) << version[0];
    EXPECT_EQ(version[0].back(), '"') << version[0];

    // An unknown name is answered as such.
    auto result = consoleClient({"cvar", std::to_string(host.handle()), "nosuchcvar"});
    EXPECT_EQ(result.out, "UNKNOWN COMMAND\n") << result.err;
    EXPECT_EQ(exec("nosuchcvar"), std::vector<std::string>{"unknown command: nosuchcvar"});
    // None of it reached the window.
    EXPECT_EQ(output().find("is:\""), std::string::npos);
    EXPECT_EQ(output().find("nosuchcvar"), std::string::npos);
}

TEST_F(RealServerTest, StatusTableAndStatusReplyFollowBotsAndKicks)
{
    bridge.SendConsoleCommandTo("addbot Sarge 2", host.handle());
    bridge.SendConsoleCommandTo("addbot Major 3", host.handle());
    ASSERT_TRUE(waitForOutput("ClientBegin: 1\r\n", std::chrono::seconds(30)));

    bridge.SendConsoleCommandTo("ECHO [BEGIN STATUS];STATUS;ECHO [END STATUS]", host.handle());
    ASSERT_TRUE(waitForOutput("[END STATUS]\r\n"));
    std::string text = output();
    auto begin = text.find("\r\n[BEGIN STATUS]\r\n");
    auto end = text.find("\r\n[END STATUS]\r\n");
    ASSERT_NE(begin, std::string::npos);
    std::string table = text.substr(begin, end - begin);
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
    ASSERT_TRUE(waitForOutput("broadcast: print \"Sarge was kicked\\n\"\r\n"));
    EXPECT_TRUE(waitFor([&] { return playersInStatusReply() == 1; }));
    bridge.SendConsoleCommandTo("kick NoSuchPlayer", host.handle());
    EXPECT_TRUE(waitForOutput("Player NoSuchPlayer is not on the server\r\n"));
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
