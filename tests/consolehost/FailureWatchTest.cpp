#include "consolehost/FailureWatch.h"

#include <gtest/gtest.h>

using namespace ravelin::consolehost;

// Lines 10 ms apart, then queries 2 s apart (the first `answered` answered).
TEST(FailureWatchTest, TellsAFailureFromAServerThatIsMerelyWithoutAMap)
{
    const std::string stars = "********************",
                      hang = "stopped answering (3 status queries 2 s apart went unanswered)";
    const std::vector<std::string> drop = {"InitGame: x", stars, "ERROR: Bad map\r", stars,
                                           "----- Server Shutdown -----"};
    const struct {
        const char* name;
        std::vector<std::string> lines;
        int queries, answered;
        std::int64_t at;
        std::string failure;
    } cases[] = {
        {"a drop, after the grace", drop, 0, 0, 3000, "lost its map (ERROR: Bad map)"},
        {"a drop, within the grace", drop, 0, 0, 1000, ""},
        {"a drop, then a map", {stars, "ERROR: Bad map", "------ Server Initialization ------"}, 0, 0, 3000, ""},
        {"an ERROR without the stars", {"ERROR: not the engine's"}, 0, 0, 9000, ""},
        {"three misses after answers", {}, 5, 2, 9000, hang},
        {"two misses", {}, 4, 2, 6500, ""},
        {"a map still loading", {"------ Server Initialization ------", "InitGame: x"}, 14, 0, 27000, ""},
        {"a map loaded, never answered",
         {"InitGame: x"},
         16,
         0,
         31000,
         "stopped answering (16 status queries "
         "2 s apart went unanswered)"},
        {"never answered, no map", {}, 6, 0, 12000, ""},
        {"shut down on purpose", {"InitGame: x", "----- Server Shutdown (Server quit) -----"}, 6, 0, 12000, ""},
    };
    for (const auto& c : cases) {
        FailureWatch watch;
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            watch.outputLine(c.lines[i], 10 * static_cast<std::int64_t>(i));
        for (int i = 0; i < c.queries; ++i) {
            watch.querySent(i * FailureWatch::kQueryEveryMs);
            if (i < c.answered)
                watch.answered();
        }
        EXPECT_EQ(watch.failure(c.at), c.failure) << c.name;
    }
}
