// Simulated game events: determinism with a seed, scores that follow the
// kills, and the flood schedule.
#include "q3sim/Server.h"
#include "q3sim/Simulation.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>

using namespace q3sim;

namespace {

// A server on q3dm17 whose console lines go to `lines`.
std::unique_ptr<Server> started(std::vector<std::string>& lines, std::uint64_t seed)
{
    auto server = std::make_unique<Server>([&lines](const std::string& line) { lines.push_back(line); }, seed, "/srv");
    server->finishStartupSets();
    server->spawnMap("q3dm17");
    return server;
}

std::vector<std::string> playGame(std::uint64_t seed, double seconds)
{
    std::vector<std::string> lines;
    auto server = started(lines, seed);
    server->connectPlayer("Bob", false);
    Simulation simulation({1.5, 4.0, 0.7, 0.5, 0.9});
    for (double t = 0; t <= seconds; t += 0.37)
        simulation.advance(*server, t);
    return lines;
}

} // namespace

TEST(Simulation, SameSeedSameGame)
{
    auto first = playGame(42, 60);
    EXPECT_EQ(first, playGame(42, 60));
    EXPECT_NE(first, playGame(43, 60));
    auto count = [&first](const std::string& prefix) {
        int n = 0;
        for (const auto& line : first)
            n += line.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    };
    EXPECT_GT(count("Kill: "), 0);
    EXPECT_GT(count("say: "), 0);
    EXPECT_GT(count("Item: "), 0);
    EXPECT_GT(count("ClientConnect: "), 0);
    EXPECT_GT(count("ClientDisconnect: "), 0);
}

TEST(Simulation, EventsFallOnTheirIntervalWhateverTheTicks)
{
    // Advancing in one step or in many gives the same events.
    std::vector<std::string> coarse, fine;
    auto a = started(coarse, 9), b = started(fine, 9);
    Simulation one({1, 0, 0.25, 0.5, 0}), many({1, 0, 0.25, 0.5, 0});
    one.advance(*a, 10);
    for (int i = 1; i <= 1000; ++i)
        many.advance(*b, i / 100.0);
    EXPECT_EQ(coarse, fine);
    EXPECT_NEAR(one.nextDue(10), 0.25, 1e-9);
    EXPECT_LT(Simulation({}).nextDue(0), 0);
}

TEST(Simulation, KillsChangeScoresAsTheyAreReported)
{
    std::vector<std::string> lines;
    auto server = started(lines, 5);
    for (auto name : {"A", "B", "C"})
        server->connectPlayer(name, false);
    lines.clear();
    for (int i = 0; i < 200; ++i)
        server->simulateKill();
    std::map<int, int> expected;
    for (const auto& line : lines) {
        int killer = 0, victim = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "Kill: %d %d", &killer, &victim), 2) << line;
        if (killer == 1022 || killer == victim)
            --expected[victim];
        else
            ++expected[killer];
        EXPECT_NE(line.find(" killed "), std::string::npos);
        EXPECT_NE(line.find(" by MOD_"), std::string::npos);
    }
    for (const auto& player : server->players().all())
        EXPECT_EQ(player.score, expected[player.slot]) << player.name;
}

TEST(Simulation, JoinsStopAtTheSlotCount)
{
    Server server(nullptr, 3, "/srv");
    server.startupSet("sv_maxclients", "3");
    server.finishStartupSets();
    server.spawnMap("q3dm17");
    for (int i = 0; i < 10; ++i)
        server.simulateJoin();
    EXPECT_EQ(server.players().size(), 3u);
}

TEST(Flood, BurstThenPacedLines)
{
    Flood flood(100, 50, 2);
    EXPECT_EQ(flood.total(), 200);
    EXPECT_EQ(flood.dueBy(0), 100);
    EXPECT_EQ(flood.dueBy(1), 150);
    EXPECT_EQ(flood.dueBy(10), 200);
    EXPECT_NEAR(flood.nextDue(1.0, 150), 0.02, 1e-9);
    EXPECT_LT(flood.nextDue(5, 200), 0);
    EXPECT_EQ(Flood::line(7), "flood: 7");
}
