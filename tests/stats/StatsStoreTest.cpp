// The history: figures from a captured OpenArena game, the ratio,
// favourite-weapon and team-kill rules, one transaction per pass, schema
// migration, and files that cannot be used.
#include "stats/StatsRecorder.h"
#include "stats/StatsStore.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <tuple>
#include <unistd.h>

using namespace ravelin;
using namespace ravelin::stats;

namespace {

constexpr std::int64_t kBase = 1'800'000'000;

struct StatsStoreTest : testing::Test {
    test::TempDir dir{"ravelin-stats"};
    std::string file = (dir.path() / "stats" / "Op_Test_27960.sqlite").string();

    // Feeds lines as one pass at `now`.
    static void pass(StatsRecorder& recorder, const std::vector<std::string>& lines, std::int64_t now)
    {
        for (const std::string& line : lines)
            recorder.line(line, now);
        recorder.endPass(now);
    }

    static const PlayerFigures* find(const std::vector<PlayerFigures>& players, const std::string& name)
    {
        auto it = std::find_if(players.begin(), players.end(), [&](const PlayerFigures& p) { return p.name == name; });
        return it == players.end() ? nullptr : &*it;
    }
};

const Window kAll{0, kBase * 2, 0};

} // namespace

// games.log puts the game clock on each line: the test reads the lines at
// that time, one pass per line, as a console would deliver them.
TEST_F(StatsStoreTest, CapturedOpenArenaGameGivesItsFigures)
{
    StatsStore store(file);
    ASSERT_EQ(store.problem(), "");
    StatsRecorder recorder(store);
    std::ifstream log(test::sourceDir() / "tests/stats/data/openarena-0.8.8-games.log");
    ASSERT_TRUE(log) << "the captured games.log";
    std::string line;
    std::int64_t offset = 0, last = 0, lines = 0;
    while (std::getline(log, line)) {
        const std::int64_t clock = std::atoi(line.c_str()) * 60 + std::atoi(line.c_str() + line.find(':') + 1);
        if (clock < last) // a new game restarts the clock
            offset += last;
        last = clock;
        pass(recorder, {line}, kBase + offset + clock);
        ++lines;
    }
    ASSERT_GT(lines, 400);

    EXPECT_TRUE(store.players(kAll, false, kBase + 10000).size() == 2) << "only the two test clients are people";
    const auto all = store.players(kAll, true, kBase + 10000);
    const PlayerFigures* major = find(all, "Major");
    const PlayerFigures* sarge = find(all, "Sarge");
    const PlayerFigures* grism = find(all, "Grism");
    const PlayerFigures* tester2 = find(all, "Tester2");
    ASSERT_TRUE(major && sarge && grism && tester2);
    EXPECT_EQ(std::tie(major->bot, major->kills, major->deaths, major->suicides), std::make_tuple(true, 12, 6, 4));
    EXPECT_EQ(std::tie(sarge->kills, sarge->deaths, sarge->suicides), std::make_tuple(0, 10, 5));
    EXPECT_EQ(major->favouriteWeapon, "MOD_ROCKET");
    EXPECT_DOUBLE_EQ(major->ratio(), 2.0);
    EXPECT_EQ(std::tie(grism->kills, grism->favouriteWeapon), std::make_tuple(2, "MOD_SHOTGUN"));
    EXPECT_EQ(std::tie(tester2->bot, tester2->secondsPlayed), std::make_tuple(false, 57 + 9));

    EXPECT_EQ(store.killCount(), 23);
    const auto games = store.games(kAll, 10);
    ASSERT_EQ(games.size(), 3u);
    EXPECT_EQ(std::tie(games.back().map, games.back().how), std::make_tuple("oa_dm1", "shut down"));
    EXPECT_EQ(games.back().ended - games.back().started, 7 * 60 + 4);
    const auto weapons = store.weapons(kAll, true);
    ASSERT_FALSE(weapons.empty());
    EXPECT_EQ(std::tie(weapons.front().means, weapons.front().kills), std::make_tuple("MOD_ROCKET", 5));
}

TEST_F(StatsStoreTest, RatioFavouriteWeaponTeamKillsAndFinalScores)
{
    StatsStore store(file);
    StatsRecorder recorder(store);
    pass(recorder,
         {"InitGame: \\mapname\\q3tourney2\\g_gametype\\3", "ClientConnect: 0",
          "ClientUserinfoChanged: 0 n\\Bob\\t\\1\\model\\visor", "ClientConnect: 1",
          "ClientUserinfoChanged: 1 n\\Ann\\t\\1\\model\\visor", "ClientConnect: 2",
          "ClientUserinfoChanged: 2 n\\Cid\\t\\2\\model\\visor"},
         kBase);
    pass(recorder,
         {"Kill: 0 2 10: Bob killed Cid by MOD_RAILGUN", "Kill: 0 2 7: Bob killed Cid by MOD_ROCKET_SPLASH",
          "Kill: 0 1 10: Bob killed Ann by MOD_RAILGUN", "Kill: 1 2 1: Ann killed Cid by MOD_SHOTGUN",
          "Kill: 0 2 7: Bob killed Cid by MOD_ROCKET_SPLASH"},
         kBase + 60);
    // A chat line's echo looks like a kill once the console strips colours.
    pass(recorder, {"say: Kill: 0 2 10: Bob killed Cid by MOD_RAILGUN", "Kill: 0 2 10: Bob killed Cid by MOD_RAILGUN"},
         kBase + 70);
    pass(recorder,
         {"Exit: Fraglimit hit.", "score: 3  ping: 40  client: 0 Bob", "score: 1  ping: 20  client: 1 Ann",
          "ShutdownGame:"},
         kBase + 120);

    const auto players = store.players(kAll, false, kBase + 200);
    const PlayerFigures* bob = find(players, "Bob");
    const PlayerFigures* ann = find(players, "Ann");
    ASSERT_TRUE(bob && ann);
    // The team kill of Ann is not a kill.
    EXPECT_EQ(std::tie(bob->kills, bob->teamKills, bob->deaths, bob->secondsPlayed), std::make_tuple(3, 1, 0, 120));
    EXPECT_DOUBLE_EQ(bob->ratio(), 3.0) << "no deaths: rated on kills alone";
    // Two kills each: the tie goes to the means used last.
    EXPECT_EQ(bob->favouriteWeapon, "MOD_ROCKET_SPLASH");
    EXPECT_DOUBLE_EQ(ann->ratio(), 1.0);
    const auto games = store.games(kAll, 5);
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].how, "Fraglimit hit.");
    ASSERT_EQ(games[0].scores.size(), 2u);
    EXPECT_EQ(games[0].scores[0], (std::pair<std::string, std::int64_t>("Bob", 3)));

    // A window of the first half minute sees Bob playing, without frags.
    const auto early = store.players({kBase, kBase + 30, 0}, false, kBase + 200);
    ASSERT_NE(find(early, "Bob"), nullptr);
    EXPECT_EQ(std::tie(find(early, "Bob")->kills, find(early, "Bob")->secondsPlayed), std::make_tuple(0, 30));
}

TEST_F(StatsStoreTest, APassIsOneTransactionAndOutlivesTheProgram)
{
    {
        StatsStore store(file);
        StatsRecorder recorder(store);
        recorder.line("InitGame: \\mapname\\q3dm17", kBase);
        recorder.line("Kill: 0 1 10: Bob killed Ann by MOD_RAILGUN", kBase);
        sql::Database reader(file, sql::Database::Mode::ReadOnly);
        EXPECT_EQ(reader.scalar("SELECT count(*) FROM kills"), 0) << "nothing is visible before the pass ends";
        recorder.endPass(kBase);
        EXPECT_EQ(reader.scalar("SELECT count(*) FROM kills"), 1);
        auto mode = reader.prepare("PRAGMA journal_mode");
        ASSERT_TRUE(mode.step());
        EXPECT_EQ(mode.text(0), "wal");
    }
    StatsStore again(file);
    EXPECT_EQ(std::make_tuple(again.problem(), again.killCount()), std::make_tuple("", 1));
    const auto games = again.games(kAll, 5);
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].how, "interrupted");
}

// The first read of a long history runs on its own connection; kills
// committed before it, and kills still in this pass, each count once.
TEST_F(StatsStoreTest, AHistoryReadBesideThePumpCountsEveryKillOnce)
{
    StatsStore store(file);
    StatsRecorder recorder(store);
    pass(recorder, {"InitGame: \\mapname\\q3dm17", "Kill: 0 1 10: Bob killed Ann by MOD_RAILGUN"}, kBase);
    recorder.line("Kill: 0 1 10: Bob killed Ann by MOD_RAILGUN", kBase + 1);
    store.warm(kAll);
    ASSERT_TRUE(test::waitFor([&] { return !store.adoptWarmed(); }));
    recorder.line("Kill: 1 0 7: Ann killed Bob by MOD_ROCKET", kBase + 2);
    recorder.endPass(kBase + 2);
    const auto players = store.players(kAll, false, kBase + 3);
    ASSERT_TRUE(find(players, "Bob") && find(players, "Ann"));
    EXPECT_EQ(std::tie(find(players, "Bob")->kills, find(players, "Ann")->kills, find(players, "Ann")->deaths),
              std::make_tuple(2, 1, 2));
}

TEST_F(StatsStoreTest, VersionOneIsMigratedKeepingItsData)
{
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    {
        sql::Database old(file);
        old.exec(StatsStore::schemaVersion1());
        old.exec(
            "PRAGMA user_version=1;"
            "INSERT INTO players(id, name, bot) VALUES(1, 'Bob', 0), (2, 'Ann', 0);"
            "INSERT INTO games(id, map, started, ended, how) VALUES(1, 'q3dm6', 100, 200, 'shut down');"
            "INSERT INTO kills(game, time, killer, victim, means, map) VALUES(1, 150, 1, 2, 'MOD_RAILGUN', 'q3dm6');"
            "INSERT INTO samples(time, players) VALUES(120, 2);");
    }
    StatsStore store(file);
    ASSERT_EQ(store.problem(), "");
    sql::Database check(file, sql::Database::Mode::ReadOnly);
    EXPECT_EQ(check.scalar("PRAGMA user_version"), StatsStore::kSchemaVersion);
    const auto players = store.players(kAll, false, 300);
    ASSERT_FALSE(players.empty());
    EXPECT_EQ(std::tie(players[0].name, players[0].kills, players[0].favouriteWeapon),
              std::make_tuple("Bob", 1, "MOD_RAILGUN"));
    const auto samples = store.samples(0, 1000);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(std::tie(samples[0].players, samples[0].bots), std::make_tuple(2, 0));
    store.player("Cid", false, "00112233");
}

TEST_F(StatsStoreTest, UnusableFilesAreLeftAloneAndStatisticsRunInMemory)
{
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    const struct {
        const char *what, *reason;
        std::function<void()> make;
    } cases[] = {
        {"corrupt", "not a database", [&] { std::ofstream(file, std::ios::binary) << std::string(4096, '\x5a'); }},
        {"newer", "newer Ravelin", [&] { sql::Database(file).exec("CREATE TABLE future(x); PRAGMA user_version=7;"); }},
        {"another program's", "another program", [&] { sql::Database(file).exec("CREATE TABLE accounts(x);"); }},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(file);
        c.make();
        const std::string before = test::readFile(file);
        {
            StatsStore store(file);
            EXPECT_NE(store.problem().find(c.reason), std::string::npos) << c.what << ": " << store.problem();
            EXPECT_TRUE(store.inMemory());
            StatsRecorder recorder(store);
            pass(recorder, {"Kill: 0 1 10: Bob killed Ann by MOD_RAILGUN"}, kBase);
            EXPECT_EQ(store.killCount(), 1) << c.what;
        }
        EXPECT_EQ(test::readFile(file), before) << c.what << " file was touched";
    }
}

TEST_F(StatsStoreTest, ReadOnlyFileIsLeftAlone)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files";
    StatsStore{file}; // creates the file
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    StatsStore store(file);
    EXPECT_NE(store.problem().find("read-only"), std::string::npos) << store.problem();
}

TEST_F(StatsStoreTest, RetentionDropsOldGamesOnly)
{
    StatsStore store(file);
    StatsRecorder recorder(store);
    pass(recorder, {"InitGame: \\mapname\\old", "Kill: 0 1 10: Bob killed Ann by MOD_RAILGUN", "ShutdownGame:"}, kBase);
    const std::int64_t later = kBase + 10 * 86400;
    pass(recorder, {"InitGame: \\mapname\\new", "Kill: 0 1 10: Bob killed Ann by MOD_RAILGUN"}, later);
    recorder.setRetentionDays(5);
    pass(recorder, {}, later + 60);
    EXPECT_EQ(store.killCount(), 1);
    const auto games = store.games(kAll, 5);
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].map, "new");
}
