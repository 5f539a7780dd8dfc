// Asking the server things through its console window, from Ravelin's side
// (bridge and probe) and from the command-line client.
#include "integration/IntegrationSupport.h"

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ServerQueriesTest : ConsoleFixture {
    ConsoleHostProcess host;
    TempDir basepath{"ravelin-basepath"};

    void SetUp() override
    {
        ASSERT_TRUE(host.startQ3sim({"+set", "sv_hostname", "Query ^3Arena", "+set", "net_port", "0", "+set",
                                     "fs_basepath", basepath.path().string()}));
    }
};

} // namespace

TEST_F(ServerQueriesTest, ProbeReadsValueAndDefaultAndReportsAnUnknownName)
{
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Query Arena");
    EXPECT_EQ(probe.GetCvarDefault(host.handle(), "sv_hostname"), "noname");
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "fs_basepath"), basepath.path().string());
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "no_such_cvar_here"), "UNKNOWN COMMAND");
}

TEST_F(ServerQueriesTest, CommandLineClientListsSendsAndReads)
{
    auto listed = consoleClient({"list"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, std::to_string(host.handle()) + "\tvisible\trunning\tQuery Arena\n");

    auto sent = consoleClient({"send", std::to_string(host.handle()), "echo", "from the", "client"});
    ASSERT_EQ(sent.status, 0) << sent.err;
    ASSERT_TRUE(waitForOutput(host.handle(), "]echo from the client\r\nfrom the client\r\n"));

    auto read = consoleClient({"read", std::to_string(host.handle())});
    ASSERT_EQ(read.status, 0);
    EXPECT_NE(read.out.find("from the client\r\n"), std::string::npos);

    EXPECT_EQ(consoleClient({"hide", std::to_string(host.handle())}).status, 0);
    EXPECT_FALSE(windows.isWindowVisible(host.handle()));
    EXPECT_EQ(consoleClient({"show", std::to_string(host.handle())}).status, 0);
    EXPECT_TRUE(windows.isWindowVisible(host.handle()));
    EXPECT_EQ(consoleClient({"clear", std::to_string(host.handle())}).status, 0);
    EXPECT_EQ(output(host.handle()).find("from the client"), std::string::npos);
}

TEST_F(ServerQueriesTest, CommandLineClientRefusesAHandleThatIsNoConsole)
{
    auto missing = consoleClient({"read", "999999"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no console window with handle 999999"), std::string::npos) << missing.err;
    EXPECT_EQ(consoleClient({"send", "abc", "status"}).status, 2);
    EXPECT_EQ(consoleClient({"cvar", std::to_string(host.handle())}).status, 2);
}
