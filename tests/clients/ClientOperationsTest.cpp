// The players feature as operator scripts reach it through the session.
#include "mainwindow/SessionFixture.h"
#include "platform/sim/SimUdpSocket.h"

using namespace ravelin;
using ravelin::test::SessionTest;

namespace {

struct ClientScriptsTest : SessionTest {
    sim::SimUdpSocket socket;
    // The session lets go of the socket as it goes, so it goes first.
    ~ClientScriptsTest() override { session.reset(); }

    MainSession& makeSessionWithSocket()
    {
        MainServices services{bridge, probe, settings, dialogs, appFolder.path(), &host};
        services.udp = &socket;
        session = std::make_unique<MainSession>(services, view);
        return *session;
    }

    vbs::Variant eval(const std::string& expression)
    {
        auto value = session->scriptControl().eval(expression);
        EXPECT_TRUE(value.has_value()) << expression << ": " << session->scriptControl().error().description;
        return value.value_or(vbs::Variant());
    }
    void run(const std::string& statement)
    {
        EXPECT_TRUE(session->scriptControl().executeStatement(statement))
            << statement << ": " << session->scriptControl().error().description;
    }
};

} // namespace

TEST_F(ClientScriptsTest, ScriptsReachEveryPublicOperation)
{
    useConsoleScript("Sub Nothing()\r\nEnd Sub\r\n");
    MainSession& s = makeSessionWithSocket();
    s.load();
    s.activate();
    EXPECT_EQ(eval("ServerPort").toLong(), 27960) << "activation reads net_port";
    run("ServerPort = \"27970\"");
    EXPECT_EQ(s.clients().query().ServerPort(), 27970);
    run("UpdateServerPort");
    EXPECT_EQ(eval("Ravelin.ServerPort").toLong(), 27960);

    run("UpdateClients");
    ASSERT_EQ(socket.sent.size(), 1u);
    EXPECT_EQ(socket.sent[0].port, 27960);
    socket.deliver(std::string("\xff\xff\xff\xff") + "statusResponse\n\\a\\b\n5 40 \"Bob\"\n", 27960);
    EXPECT_EQ(eval("ClientCount").toLong(), 1);
    run("AddClient \"scripted\"");
    EXPECT_EQ(eval("ClientCount()").toLong(), 2);

    // The pump hands the STATUS block to the roster.
    console->print("[BEGIN STATUS]\nnum score ping name\n  9     5   40 Bob   0 bot\n[END STATUS]\n");
    s.tmrConsole_Timer();
    EXPECT_EQ(s.clients().roster().rows()[0].substr(0, 3), "9  ");
    run("RemoveClient 9");
    EXPECT_EQ(eval("ClientCount").toLong(), 1);

    run("UpdateClientID");
    EXPECT_EQ(console->entered().back(), "STATUS");
    run("DumpUser 3");
    EXPECT_EQ(console->entered().back(), "echo \"START_USER_INFO\";dumpuser 3;echo \"END_USER_INFO\"");

    run("cBanned.Add \"\"\"Eve\"\"\"");
    run("cBanned.Add \"\"\"Mallory\"\"\"");
    EXPECT_EQ(eval("cBanned.Count").toLong(), 2);
    EXPECT_EQ(eval("cBanned.Item(2)").toString(), "\"Mallory\"");
    EXPECT_EQ(eval("cBanned(1)").toString(), "\"Eve\"");
    EXPECT_EQ(eval("TypeName(cBanned)").toString(), "Collection");
    EXPECT_FALSE(s.scriptControl().executeStatement("x = cBanned(3)"));
    EXPECT_EQ(s.scriptControl().error().number, 9);
    EXPECT_EQ(s.clients().admin().cBanned().entries(), (std::vector<std::string>{"\"Eve\"", "\"Mallory\""}));

    EXPECT_EQ(eval("CHAT_FILTER_MODE").toLong(), -1);
    s.clients().admin().optLang_Click(1);
    EXPECT_EQ(eval("CHAT_FILTER_MODE").toLong(), 1);

    // The ban sweep runs from the session's timer.
    socket.deliver(std::string("\xff\xff\xff\xff") + "statusResponse\n\\a\\b\n5 40 \"Eve\"\n", 27960);
    s.tmrBanned_Timer();
    EXPECT_EQ(console->entered().back(), "Kick \"Eve\"");
}
