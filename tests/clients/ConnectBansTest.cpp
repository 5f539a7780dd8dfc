// Bans checked on the connect lines, the dumpuser answer and the engine's
// own address list, with the sim console recording what is sent.
#include "ClientsFixture.h"

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ConnectBansTest : ClientsTest {
    std::vector<std::string> debug;
    LastingBans& bans() { return clients.admin().bans(); }

    ConnectBansTest()
    {
        bans().setDebugPrint([this](const std::string& text) { debug.push_back(text); });
    }
    void addBan(std::string name, std::string address, std::string key, std::int64_t ends = 0)
    {
        bans().list().add(Ban{std::move(name), std::move(address), std::move(key), "cheat", 0, ends, {}});
    }
    void dumpAnswer(const std::vector<std::string>& rows)
    {
        line("START_USER_INFO");
        line("userinfo");
        line("--------");
        for (const std::string& row : rows)
            line(row);
        line("END_USER_INFO");
    }
    static std::string kick(int slot, const std::string& name)
    {
        return "Say \"^2'" + name + "'" + kBanText + " ^7(cheat)\";clientkick " + std::to_string(slot);
    }
};

} // namespace

TEST_F(ConnectBansTest, NameAndKeyBansKickOnTheSettingsLineOfEitherEngine)
{
    addBan("\"Bob\"", "", "");
    addBan("\"Old\"", "", "GUID1");
    // Q3 1.32: connect, then settings; ioq3: connecting, settings with the key, connect.
    line("ClientConnect: 3");
    EXPECT_EQ(entered().back(), "echo \"START_USER_INFO\";dumpuser 3;echo \"END_USER_INFO\"");
    line("ClientUserinfoChanged: 3 n\\^1Bob\\t\\0\\model\\sarge");
    EXPECT_EQ(entered().back(), kick(3, "Bob"));
    markNow();
    line("Client 5 connecting with 0 challenge ping");
    line("ClientUserinfoChanged: 5 n\\NewName\\t\\0\\id\\GUID1");
    line("ClientConnect: 5");
    EXPECT_EQ(newLines().back(), kick(5, "NewName"));
    EXPECT_EQ(std::count(entered().begin(), entered().end(), kick(5, "NewName")), 1);
}

TEST_F(ConnectBansTest, AnAddressBanKicksOnTheDumpuserAnswer)
{
    addBan("\"Someone\"", "10.1.2.3", "");
    line("ClientConnect: 2");
    line("ClientUserinfoChanged: 2 n\\Innocent\\t\\0");
    markNow();
    dumpAnswer({"ip                   10.1.2.3:27960", "name                 Innocent"});
    EXPECT_EQ(newLines(), std::vector<std::string>{kick(2, "Innocent")});
    ASSERT_EQ(bans().players().at(2).address, "10.1.2.3");
    line("ClientDisconnect: 2");
    EXPECT_TRUE(bans().players().empty());
}

TEST_F(ConnectBansTest, BanSelectedLearnsTheAddressAndKeepsTheEngineListInStep)
{
    engineBans = std::vector<std::string>{"Ban #1: 192.0.2.0/24"};
    line("InitGame: \\mapname\\oa_dm1");
    ASSERT_EQ(bans().engineList(), LastingBans::EngineList::Present);
    reply({"1 1 \"Eve\""});
    clients.roster().ParseStatusBlock("num score ping name\r\n  4     1    1 Eve   0 bot\r\n");
    view.selected = 0;
    ban("aimbot", "2h");
    dumpAnswer({"ip                   10.9.9.9", "cl_guid              KEYEVE", "name                 Eve"});
    ASSERT_EQ(bans().list().size(), 1u);
    const Ban& made = bans().list().bans()[0];
    EXPECT_EQ(made.address, "10.9.9.9");
    EXPECT_EQ(made.key, "KEYEVE");
    EXPECT_EQ(made.reason, "aimbot");
    EXPECT_EQ(made.ends, wallClock.unixSeconds() + 7200);
    EXPECT_EQ(count("banaddr 10.9.9.9"), 1);

    // A map load: the engine's list is read back and what it lost is put back.
    engineBans = std::vector<std::string>{};
    line("InitGame: \\mapname\\oa_dm1");
    EXPECT_EQ(count("banaddr 10.9.9.9"), 2);

    // Its time runs out: lifted at the next sweep, in the engine too.
    wallClock.advance(7200);
    clients.tmrBanned_Timer();
    EXPECT_EQ(bans().list().size(), 0u);
    EXPECT_EQ(count("bandel 10.9.9.9"), 1);
    ASSERT_FALSE(debug.empty());
    EXPECT_NE(debug.back().find("Ban lifted, its time ran out"), std::string::npos) << debug.back();
    line("ClientUserinfoChanged: 4 n\\Eve\\t\\0\\id\\KEYEVE");
    EXPECT_EQ(count("clientkick 4"), 0);
}

TEST_F(ConnectBansTest, AnEngineWithoutAListIsLeftAloneAndScriptsAddLastingBans)
{
    line("InitGame: \\mapname\\q3dm17");
    EXPECT_EQ(bans().engineList(), LastingBans::EngineList::Absent);
    markNow();
    line("InitGame: \\mapname\\q3dm17");
    EXPECT_TRUE(newLines().empty());

    clients.admin().cBanned().Add("\"Mallory\"");
    ASSERT_EQ(bans().list().size(), 1u);
    EXPECT_EQ(clients.admin().cBanned().entries(), std::vector<std::string>{"\"Mallory\""});
    bans().unban(bans().list().ids()[0]);
    EXPECT_EQ(clients.admin().cBanned().Count(), 0);
}
