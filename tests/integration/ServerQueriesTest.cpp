// Asking the server things through its console window and its UDP port,
// from Ravelin's side (bridge and probe) and from the command-line client.
#include "integration/IntegrationSupport.h"

#include <csignal>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ServerQueriesTest : ConsoleFixture {
    ConsoleHostProcess host;
    TempDir basepath{"ravelin-basepath"};

    void SetUp() override
    {
        ASSERT_TRUE(host.startQ3sim({"--players", "Bob,^1Red^7Guy,Two Words", "+set", "sv_hostname", "Query ^3Arena",
                                     "+set", "net_port", "0", "+set", "fs_basepath", basepath.path().string()}));
    }

    CommandResult client(std::vector<std::string> args)
    {
        args.insert(args.begin(), (binDir() / "ravelin-console").string());
        return runCommand(args);
    }
};

} // namespace

TEST_F(ServerQueriesTest, ProbeReadsValueAndDefault)
{
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Query Arena");
    EXPECT_EQ(probe.GetCvarDefault(host.handle(), "sv_hostname"), "noname");
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "fs_basepath"), basepath.path().string());
}

TEST_F(ServerQueriesTest, ProbeReportsAnUnknownName)
{
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "no_such_cvar_here"), "UNKNOWN COMMAND");
}

TEST_F(ServerQueriesTest, ProbeOfAConsoleThatIsGoneGivesUnknown)
{
    WindowHandle console = host.handle();
    host.process().signal(SIGKILL);
    ASSERT_TRUE(host.process().wait().has_value());
    // Without a console every read walks its full step limit; a loop that
    // does not sleep keeps the 1001 attempts short.
    NullMessageLoop quick;
    ConsoleBridge direct(windows, quick);
    CvarProbe directProbe(direct);
    EXPECT_EQ(directProbe.GetCvarValue(console, "sv_hostname"), "UNKNOWN");
}

TEST_F(ServerQueriesTest, StatusReplyOverUdpListsThePlayers)
{
    ASSERT_TRUE(waitForOutput(host.handle(), "Opening IP socket"));
    int port = serverPort(output(host.handle()));
    ASSERT_GT(port, 0);
    std::string reply = udpQuery(port, "\xff\xff\xff\xffgetstatus");
    ASSERT_EQ(reply.rfind("\xff\xff\xff\xffstatusResponse\n", 0), 0u) << reply;
    EXPECT_NE(reply.find("\\sv_hostname\\Query ^3Arena"), std::string::npos) << reply;
    EXPECT_NE(reply.find("\"Bob\"\n"), std::string::npos);
    EXPECT_NE(reply.find("\"^1Red^7Guy\"\n"), std::string::npos);
    EXPECT_NE(reply.find("\"Two Words\"\n"), std::string::npos);

    // A kick typed into the console shows in the next reply.
    bridge.SendConsoleCommandTo("kick Bob", host.handle());
    ASSERT_TRUE(
        waitFor([&] { return udpQuery(port, "\xff\xff\xff\xffgetstatus").find("\"Bob\"") == std::string::npos; }));
}

TEST_F(ServerQueriesTest, StatusTableComesThroughTheConsole)
{
    bridge.SendConsoleCommandTo("status", host.handle());
    ASSERT_TRUE(waitForOutput(host.handle(), "Two Words"));
    std::string text = output(host.handle());
    auto header = text.find("num score ping name            lastmsg address               qport rate\r\n");
    ASSERT_NE(header, std::string::npos);
    // Colour codes are gone from the names by the time they are shown.
    EXPECT_NE(text.find(" RedGuy ", header), std::string::npos);
}

TEST_F(ServerQueriesTest, WriteconfigLandsInTheBasepath)
{
    bridge.SendConsoleCommandTo("writeconfig ..\\ravelin_tmp.cfg", host.handle());
    auto file = basepath.path() / "ravelin_tmp.cfg";
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(file) && std::filesystem::file_size(file) > 0; }));
    std::string config = readFile(file);
    EXPECT_NE(config.find("seta sv_hostname \"Query ^3Arena\""), std::string::npos);
}

TEST_F(ServerQueriesTest, CommandLineClientListsSendsAndReads)
{
    auto listed = client({"list"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, std::to_string(host.handle()) + "\tvisible\trunning\tQuery Arena\n");

    auto sent = client({"send", std::to_string(host.handle()), "echo", "from the", "client"});
    ASSERT_EQ(sent.status, 0) << sent.err;
    ASSERT_TRUE(waitForOutput(host.handle(), "]echo from the client\r\nfrom the client\r\n"));

    auto read = client({"read", std::to_string(host.handle())});
    ASSERT_EQ(read.status, 0);
    EXPECT_NE(read.out.find("from the client\r\n"), std::string::npos);

    auto value = client({"cvar", std::to_string(host.handle()), "sv_hostname"});
    EXPECT_EQ(value.out, "Query Arena\n");
    auto byDefault = client({"cvar", std::to_string(host.handle()), "sv_hostname", "--default"});
    EXPECT_EQ(byDefault.out, "noname\n");

    EXPECT_EQ(client({"hide", std::to_string(host.handle())}).status, 0);
    EXPECT_FALSE(windows.isWindowVisible(host.handle()));
    EXPECT_EQ(client({"show", std::to_string(host.handle())}).status, 0);
    EXPECT_TRUE(windows.isWindowVisible(host.handle()));
    EXPECT_EQ(client({"clear", std::to_string(host.handle())}).status, 0);
    EXPECT_EQ(output(host.handle()).find("from the client"), std::string::npos);
}

TEST_F(ServerQueriesTest, CommandLineClientRefusesAHandleThatIsNoConsole)
{
    auto missing = client({"read", "999999"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no console window with handle 999999"), std::string::npos) << missing.err;
    // A child window is no console either.
    WindowHandle input = bridge.FindInputBoxOf(host.handle());
    (void)input;
    auto wrong = client({"send", "abc", "status"});
    EXPECT_EQ(wrong.status, 2);
    auto usage = client({"cvar", std::to_string(host.handle())});
    EXPECT_EQ(usage.status, 2);
}
