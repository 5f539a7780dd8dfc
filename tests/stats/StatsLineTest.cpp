// The console lines the statistics read, in the forms Quake III 1.32 (q3sim)
// and the ioq3 engine (the captured OpenArena server) print them.
#include "stats/StatsLine.h"

#include <gtest/gtest.h>

using namespace ravelin::stats;

namespace {

template <typename Event>
Event as(const char* line)
{
    const auto parsed = parseStatsLine(line);
    EXPECT_TRUE(parsed.has_value()) << line;
    if (!parsed || !std::holds_alternative<Event>(*parsed)) {
        ADD_FAILURE() << "wrong kind: " << line;
        return {};
    }
    return std::get<Event>(*parsed);
}

} // namespace

TEST(StatsLineTest, KillsOnBothEnginesForms)
{
    struct Case {
        const char* line;
        int killer, victim, number;
        const char* killerName;
        const char* victimName;
        const char* means;
    };
    const Case cases[] = {
        {"Kill: 0 1 10: Bob killed Anna by MOD_RAILGUN", 0, 1, 10, "Bob", "Anna", "MOD_RAILGUN"},
        {"  0:38 Kill: 1 0 7: Major killed Sarge by MOD_ROCKET_SPLASH", 1, 0, 7, "Major", "Sarge", "MOD_ROCKET_SPLASH"},
        {"Kill: 1022 1 20: <world> killed Gargoyle by MOD_SUICIDE", 1022, 1, 20, "<world>", "Gargoyle", "MOD_SUICIDE"},
        {"Kill: 0 1 11: ^2Green Angel killed Gargoyle by MOD_LIGHTNING", 0, 1, 11, "Green Angel", "Gargoyle",
         "MOD_LIGHTNING"},
        {"123:04 Kill: 3 3 20: Two Words killed Two Words by MOD_SUICIDE", 3, 3, 20, "Two Words", "Two Words",
         "MOD_SUICIDE"},
    };
    for (const Case& c : cases) {
        const KillLine k = as<KillLine>(c.line);
        EXPECT_EQ(k.killer, c.killer) << c.line;
        EXPECT_EQ(k.victim, c.victim) << c.line;
        EXPECT_EQ(k.meansNumber, c.number) << c.line;
        EXPECT_EQ(k.killerName, c.killerName) << c.line;
        EXPECT_EQ(k.victimName, c.victimName) << c.line;
        EXPECT_EQ(k.means, c.means) << c.line;
    }
}

TEST(StatsLineTest, UserinfoTellsBotsByTheirSkill)
{
    // q3sim (1.32): an integer skill for bots, nothing for people.
    UserinfoLine bot =
        as<UserinfoLine>("ClientUserinfoChanged: 2 n\\Sarge\\t\\0\\model\\sarge\\hmodel\\sarge\\g_redteam"
                         "\\\\g_blueteam\\\\c1\\4\\c2\\5\\hc\\100\\w\\0\\l\\0\\skill\\4\\tt\\0\\tl\\0");
    EXPECT_EQ(bot.slot, 2);
    EXPECT_EQ(bot.name, "Sarge");
    EXPECT_TRUE(bot.bot);
    UserinfoLine person =
        as<UserinfoLine>("ClientUserinfoChanged: 0 n\\^1Red^7Guy\\t\\2\\model\\visor\\hmodel\\visor"
                         "\\g_redteam\\\\g_blueteam\\\\c1\\4\\c2\\5\\hc\\100\\w\\0\\l\\0\\tt\\0\\tl\\0");
    EXPECT_EQ(person.name, "RedGuy");
    EXPECT_EQ(person.team, 2);
    EXPECT_FALSE(person.bot);
    // OpenArena: "skill\ 4.00" for bots and the client key in \id\.
    UserinfoLine oaBot = as<UserinfoLine>("  0:11 ClientUserinfoChanged: 1 n\\Major\\t\\0\\model\\major\\hmodel\\major"
                                          "\\c1\\4\\c2\\5\\hc\\100\\w\\0\\l\\0\\skill\\ 4.00\\tt\\0\\tl\\0\\id\\");
    EXPECT_TRUE(oaBot.bot);
    EXPECT_EQ(oaBot.guid, "");
    UserinfoLine oaPerson = as<UserinfoLine>(
        "ClientUserinfoChanged: 1 n\\Tester\\t\\0\\model\\sarge\\hmodel\\\\g_redteam\\\\g_blueteam\\\\c1\\\\c2\\\\hc"
        "\\100\\w\\0\\l\\0\\tt\\0\\tl\\0\\id\\ABCDEF0123456789ABCDEF0123456789");
    EXPECT_FALSE(oaPerson.bot);
    EXPECT_EQ(oaPerson.guid, "ABCDEF0123456789ABCDEF0123456789");
}

TEST(StatsLineTest, GameAndClientLines)
{
    EXPECT_EQ(as<ConnectLine>("ClientConnect: 3").slot, 3);
    EXPECT_EQ(as<DisconnectLine>("  2:29 ClientDisconnect: 1").slot, 1);
    const InitGameLine init =
        as<InitGameLine>("InitGame: \\sv_hostname\\Op Test\\g_gametype\\3\\mapname\\oa_dm1\\sv_maxclients\\8");
    EXPECT_EQ(init.map, "oa_dm1");
    EXPECT_EQ(init.gametype, 3);
    as<ShutdownGameLine>("ShutdownGame:");
    as<ShutdownGameLine>("==== ShutdownGame ====");
    EXPECT_EQ(as<ExitLine>("Exit: Fraglimit hit.").reason, "Fraglimit hit.");
    const ScoreLine score = as<ScoreLine>("score: 20  ping: 50  client: 0 ^4Bob");
    EXPECT_EQ(score.score, 20);
    EXPECT_EQ(score.ping, 50);
    EXPECT_EQ(score.slot, 0);
    EXPECT_EQ(score.name, "Bob");
    EXPECT_EQ(as<ScoreLine>("score: -3  ping: 0  client: 12 Two Words").score, -3);
}

TEST(StatsLineTest, OtherAndMalformedLinesAreIgnored)
{
    for (const char* line :
         {"", "say: Bob: Kill: 0 1 10: Bob killed Anna by MOD_RAILGUN", "Item: 1 weapon_shotgun", "ClientBegin: 0",
          "Kill: a 1 10: Bob killed Anna by MOD_RAILGUN", "Kill: 0 1 10 Bob killed Anna by MOD_RAILGUN",
          "Kill: 0 1 10: Bob killed Anna", "Kill: 0 1 10: Bob by MOD_RAILGUN", "Kill: 0 -1 10: a killed b by MOD_X",
          "Kill: 5000 1 10: a killed b by MOD_X", "ClientConnect: 99999", "ClientConnect: 3 4",
          "ClientConnect:", "ClientUserinfoChanged: 1 t\\0\\model\\x", "ShutdownGame: now",
          "score: 1 ping: x client: 0 a", "]Kill", "Kill"})
        EXPECT_FALSE(parseStatsLine(line).has_value()) << line;
}
