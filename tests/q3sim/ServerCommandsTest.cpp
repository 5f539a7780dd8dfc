// Console commands: the cvar answer line, unknown commands, sets, command
// sequences, kicks and dumpuser.
#include "ServerFixture.h"

#include "q3sim/Reports.h"

using Lines = std::vector<std::string>;

class ServerCommands : public ServerFixture {};

TEST_F(ServerCommands, BareCvarNamePrintsTheAnswerLine)
{
    EXPECT_EQ(run("sv_hostname"), Lines{"\"sv_hostname\" is:\"noname\" default:\"noname\""});
    // Names match without regard to case; the answer spells the cvar's own name.
    EXPECT_EQ(run("NET_PORT"), Lines{"\"net_port\" is:\"27960\" default:\"27960\""});
    EXPECT_EQ(run("fs_basepath"), Lines{"\"fs_basepath\" is:\"/srv/q3\" default:\"/srv/q3\""});
}

TEST_F(ServerCommands, UnknownCommandLine) { EXPECT_EQ(run("nosuchcmd arg"), Lines{"Unknown command \"nosuchcmd\""}); }

TEST_F(ServerCommands, SetKeepsQuotedBlanksAndTheDefault)
{
    EXPECT_TRUE(run("Set \"sv_hostname\" \"My  Arena\"").empty());
    EXPECT_EQ(run("sv_hostname"), Lines{"\"sv_hostname\" is:\"My  Arena\" default:\"noname\""});
    run("set g_motd welcome to the arena");
    EXPECT_EQ(server.cvars().value("g_motd"), "welcome to the arena");
}

TEST_F(ServerCommands, SetVariantsAddTheirFlagsAndCreateCvars)
{
    run("SetA my_var 5");
    ASSERT_NE(server.cvars().find("my_var"), nullptr);
    EXPECT_TRUE(server.cvars().find("my_var")->flags & q3sim::CvarArchive);
    EXPECT_EQ(run("my_var"), Lines{"\"my_var\" is:\"5\" default:\"5\""});
    run("sets my_info 1");
    EXPECT_TRUE(server.cvars().find("my_info")->flags & q3sim::CvarServerInfo);
    EXPECT_EQ(run("set lonely"), Lines{"usage: set <variable> <value>"});
}

TEST_F(ServerCommands, ProtectedCvarsRefuseOrWait)
{
    EXPECT_EQ(run("set version 9"), Lines{"version is read only."});
    EXPECT_EQ(run("set fs_basepath /tmp"), Lines{"fs_basepath is write protected."});
    // The port the socket is bound to stays what the console reports.
    EXPECT_EQ(run("set net_port 1234"), Lines{"net_port will be changed upon restarting."});
    EXPECT_EQ(server.cvars().value("net_port"), "27960");
    run("map q3dm6");
    EXPECT_EQ(server.cvars().value("net_port"), "27960");
}

TEST_F(ServerCommands, LatchedSlotCountAppliesAtTheNextMap)
{
    run("set sv_maxclients 12");
    EXPECT_EQ(server.cvars().value("sv_maxclients"), "8");
    run("map q3dm6");
    EXPECT_EQ(server.cvars().value("sv_maxclients"), "12");
    EXPECT_EQ(server.cvars().value("mapname"), "q3dm6");
}

TEST_F(ServerCommands, SemicolonSequenceRunsInOrder)
{
    server.connectPlayer("Bob", false);
    auto lines = run("ECHO [BEGIN STATUS];STATUS;ECHO [END STATUS]");
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines.front(), "[BEGIN STATUS]");
    EXPECT_EQ(lines[1], "map: q3dm17");
    EXPECT_EQ(lines.back(), "[END STATUS]");
    EXPECT_EQ(run("echo \"a;b\";echo c"), (Lines{"a;b", "c"}));
}

TEST_F(ServerCommands, KickMatchesTheNameWithoutColoursAndFreesTheSlot)
{
    server.connectPlayer("^1Red^7Guy", false);
    server.connectPlayer("Bob", false);
    auto lines = run("Kick \"redguy\"");
    EXPECT_EQ(lines, (Lines{"broadcast: print \"^1Red^7Guy^7 was kicked\\n\"", "ClientDisconnect: 0"}));
    EXPECT_EQ(server.players().size(), 1u);
    auto table = q3sim::statusTable("q3dm17", server.players().all());
    for (const auto& row : table)
        EXPECT_EQ(row.find("Red"), std::string::npos);
    auto reply = server.answerPacket("\xff\xff\xff\xffgetstatus");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->find("Red"), std::string::npos);
    EXPECT_NE(reply->find("\"Bob\""), std::string::npos);
    // The freed slot is the next one taken.
    EXPECT_EQ(server.connectPlayer("Carl", false)->slot, 0);
}

TEST_F(ServerCommands, KickUnknownAndKickAll)
{
    server.connectPlayer("Bob", false);
    run("addbot Sarge");
    EXPECT_EQ(run("kick NoSuchPlayer"), Lines{"Player NoSuchPlayer is not on the server"});
    run("kick allbots");
    EXPECT_EQ(server.players().size(), 1u);
    run("kick all");
    EXPECT_EQ(server.players().size(), 0u);
    EXPECT_TRUE(printed("broadcast: print \"Bob^7 was kicked\\n\""));
}

TEST_F(ServerCommands, ClientKickBySlot)
{
    server.connectPlayer("Bob", false);
    EXPECT_EQ(run("clientkick 7"), Lines{"Client 7 is not active"});
    EXPECT_EQ(run("clientkick 99"), Lines{"Bad client slot: 99"});
    EXPECT_EQ(run("clientkick x"), Lines{"Bad slot number: x"});
    run("clientkick 0");
    EXPECT_EQ(server.players().size(), 0u);
}

TEST_F(ServerCommands, DumpUserPrintsTheUserinfoTable)
{
    server.connectPlayer("Bob", false);
    auto lines = run("echo \"START_USER_INFO\";dumpuser 0;echo \"END_USER_INFO\"");
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "START_USER_INFO");
    EXPECT_EQ(lines[1], "userinfo");
    EXPECT_EQ(lines[2], "--------");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "name                 Bob"), lines.end());
    EXPECT_EQ(lines.back(), "END_USER_INFO");
}

TEST_F(ServerCommands, SayEchoesConsoleAndChat)
{
    EXPECT_EQ(run("Say \"hello ^3players\""),
              (Lines{"console: hello ^3players", "broadcast: chat \"console: hello ^3players\\n\""}));
}

TEST_F(ServerCommands, AddBotUsesAltNameAndRefusesWhenFull)
{
    run("addbot Major 2 red 0 \"^2Green Angel\"");
    ASSERT_EQ(server.players().size(), 1u);
    EXPECT_EQ(server.players().all()[0].name, "^2Green Angel");
    EXPECT_EQ(server.players().all()[0].address, "bot");
    for (int i = 0; i < 7; ++i)
        run("addbot sarge");
    EXPECT_EQ(server.players().size(), 8u);
    auto lines = run("addbot sarge");
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("Unable to add bot"), std::string::npos);
}

TEST_F(ServerCommands, QuitStopsTheRestOfTheBuffer)
{
    auto lines = run("quit;echo after");
    EXPECT_TRUE(server.quitRequested());
    EXPECT_FALSE(printed("after"));
}
