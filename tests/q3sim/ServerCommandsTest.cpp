// Console commands: the cvar answer line, unknown commands, sets, command
// sequences, kicks and dumpuser.
#include "ServerFixture.h"

#include "q3sim/Reports.h"

using Lines = std::vector<std::string>;

class ServerCommands : public ServerFixture {};

// Commands whose whole answer is fixed, on a server with Bob in slot 0.
// Cvar names match without regard to case; the answer spells the cvar's own
// name.
TEST_F(ServerCommands, AnswersAsTheEngineDoes)
{
    server.connectPlayer("Bob", false);
    const std::pair<const char*, Lines> cases[] = {
        {"sv_hostname", {"\"sv_hostname\" is:\"noname\" default:\"noname\""}},
        {"NET_PORT", {"\"net_port\" is:\"27960\" default:\"27960\""}},
        {"fs_basepath", {"\"fs_basepath\" is:\"/srv/q3\" default:\"/srv/q3\""}},
        {"nosuchcmd arg", {"Unknown command \"nosuchcmd\""}},
        {"set lonely", {"usage: set <variable> <value>"}},
        {"set version 9", {"version is read only."}},
        {"set fs_basepath /tmp", {"fs_basepath is write protected."}},
        {"set net_port 1234", {"net_port will be changed upon restarting."}},
        {"echo \"a;b\";echo c", {"a;b", "c"}},
        {"kick NoSuchPlayer", {"Player NoSuchPlayer is not on the server"}},
        {"clientkick 7", {"Client 7 is not active"}},
        {"clientkick 99", {"Bad client slot: 99"}},
        {"clientkick x", {"Bad slot number: x"}},
        {"Say \"hello ^3players\"", {"console: hello ^3players", "broadcast: chat \"console: hello ^3players\\n\""}},
        // A set keeps quoted blanks and the default; SetA makes a cvar.
        {"Set \"sv_hostname\" \"My  Arena\"\nsv_hostname", {"\"sv_hostname\" is:\"My  Arena\" default:\"noname\""}},
        {"SetA my_var 5\nmy_var", {"\"my_var\" is:\"5\" default:\"5\""}},
    };
    for (const auto& [command, expected] : cases)
        EXPECT_EQ(run(command), expected) << command;
}

TEST_F(ServerCommands, SetVariantsAddTheirFlags)
{
    run("set g_motd welcome to the arena\nSetA my_var 5\nsets my_info 1");
    EXPECT_EQ(server.cvars().value("g_motd"), "welcome to the arena");
    EXPECT_TRUE(server.cvars().find("my_var")->flags & q3sim::CvarArchive);
    EXPECT_TRUE(server.cvars().find("my_info")->flags & q3sim::CvarServerInfo);
}

// The port the socket is bound to stays what the console reports.
TEST_F(ServerCommands, LatchedSlotCountAppliesAtTheNextMapButNotThePort)
{
    auto cvar = [&](const char* name) { return std::string(server.cvars().value(name)); };
    run("set net_port 1234\nset sv_maxclients 12");
    EXPECT_EQ((Lines{cvar("sv_maxclients"), cvar("mapname"), cvar("net_port")}), (Lines{"8", "q3dm17", "27960"}));
    run("map q3dm6");
    EXPECT_EQ((Lines{cvar("sv_maxclients"), cvar("mapname"), cvar("net_port")}), (Lines{"12", "q3dm6", "27960"}));
}

TEST_F(ServerCommands, KickMatchesTheNameWithoutColoursAndFreesTheSlot)
{
    server.connectPlayer("^1Red^7Guy", false);
    server.connectPlayer("Bob", false);
    auto lines = run("Kick \"redguy\"");
    EXPECT_EQ(lines, (Lines{"broadcast: print \"^1Red^7Guy^7 was kicked\\n\"", "ClientDisconnect: 0"}));
    EXPECT_EQ(server.players().size(), 1u);
    for (const auto& row : q3sim::statusTable("q3dm17", server.players().all()))
        EXPECT_EQ(row.find("Red"), std::string::npos);
    auto reply = server.answerPacket("\xff\xff\xff\xffgetstatus");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->find("Red"), std::string::npos);
    EXPECT_NE(reply->find("\"Bob\""), std::string::npos);
    // The freed slot is the next one taken.
    EXPECT_EQ(server.connectPlayer("Carl", false)->slot, 0);
}

TEST_F(ServerCommands, ClientKickBySlotThenAllBotsThenAll)
{
    server.connectPlayer("Bob", false);
    server.connectPlayer("Eve", false);
    run("clientkick 1");
    run("addbot Sarge");
    run("kick allbots");
    EXPECT_EQ(server.players().size(), 1u);
    run("kick all");
    EXPECT_EQ(server.players().size(), 0u);
    EXPECT_TRUE(printed("broadcast: print \"Bob^7 was kicked\\n\""));
}

TEST_F(ServerCommands, DumpUserPrintsTheUserinfoTable)
{
    server.connectPlayer("Bob", false);
    auto lines = run("echo \"START_USER_INFO\";dumpuser 0;echo \"END_USER_INFO\"");
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 3), (Lines{"START_USER_INFO", "userinfo", "--------"}));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "name                 Bob"), lines.end());
    EXPECT_EQ(lines.back(), "END_USER_INFO");
}

TEST_F(ServerCommands, AddBotUsesAltNameAndRefusesWhenFull)
{
    run("addbot Major 2 red 0 \"^2Green Angel\"");
    ASSERT_EQ(server.players().size(), 1u);
    EXPECT_EQ(server.players().all()[0].name + "@" + server.players().all()[0].address, "^2Green Angel@bot");
    for (int i = 0; i < 7; ++i)
        run("addbot sarge");
    EXPECT_EQ(server.players().size(), 8u);
    auto lines = run("addbot sarge");
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("Unable to add bot"), std::string::npos);
}

TEST_F(ServerCommands, QuitStopsTheRestOfTheBuffer)
{
    run("quit;echo after");
    EXPECT_TRUE(server.quitRequested());
    EXPECT_FALSE(printed("after"));
}
