#include "consolehost/FailureWatch.h"

#include <gtest/gtest.h>

using namespace ravelin::consolehost;

namespace {

// Feeds lines at 10 ms steps, then queries every two seconds with answers
// stopping after `answered` of them; returns what was seen by `at` ms.
std::string seen(const std::vector<std::string>& lines, int queries, int answered, std::int64_t at)
{
    FailureWatch watch;
    std::int64_t now = 0;
    for (const std::string& line : lines)
        watch.outputLine(line, now += 10);
    for (int i = 0; i < queries; ++i) {
        watch.querySent(i * FailureWatch::kQueryEveryMs);
        if (i < answered)
            watch.answered();
    }
    return watch.failure(at);
}

} // namespace

TEST(FailureWatchTest, TellsAFailureFromAServerThatIsMerelyWithoutAMap)
{
    const std::vector<std::string> drop = {"InitGame: \\sv_hostname\\x", "********************", "ERROR: Bad map\r",
                                           "********************",
                                           "----- Server Shutdown (Server crashed: Bad map) -----"};
    std::vector<std::string> dropThenMap = drop;
    dropThenMap.push_back("------ Server Initialization ------");
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        int queries, answered;
        std::int64_t at;
        std::string failure;
    } cases[] = {
        {"a drop, after the grace", drop, 0, 0, 3000, "lost its map (ERROR: Bad map)"},
        {"a drop, within the grace", drop, 0, 0, 1000, ""},
        {"a drop, then a map", dropThenMap, 0, 0, 3000, ""},
        {"an ERROR without the stars", {"ERROR: not the engine's"}, 0, 0, 9000, ""},
        {"three misses after answers",
         {},
         5,
         2,
         9000,
         "stopped answering (3 status queries 2 s apart went unanswered)"},
        {"two misses", {}, 4, 2, 6500, ""},
        {"a map loaded, never answered",
         {"InitGame: x"},
         3,
         0,
         5000,
         "stopped answering (3 status queries 2 s apart went unanswered)"},
        {"never answered, no map", {}, 6, 0, 12000, ""},
        {"shut down on purpose", {"InitGame: x", "----- Server Shutdown (Server quit) -----"}, 6, 0, 12000, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(seen(c.lines, c.queries, c.answered, c.at), c.failure) << c.name;
}
