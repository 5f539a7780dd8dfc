// The command line: options anywhere, +set lines and other + commands.
#include "q3sim/Options.h"

#include <gtest/gtest.h>

using namespace q3sim;

TEST(Options, OptionsMayFollowTheEngineCommands)
{
    std::string error;
    auto options = parseOptions({"+set", "sv_hostname", "My Arena", "+set", "net_port", "0", "--players",
                                 "Bob,^1Red^7Guy,Two Words", "--seed", "3", "--chat-every", "0.5", "+map", "q3dm6",
                                 "+addbot", "sarge", "2"},
                                error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->sets,
              (std::vector<std::pair<std::string, std::string>>{{"sv_hostname", "My Arena"}, {"net_port", "0"}}));
    EXPECT_EQ(options->players, (std::vector<std::string>{"Bob", "^1Red^7Guy", "Two Words"}));
    EXPECT_EQ(options->seed, 3u);
    EXPECT_DOUBLE_EQ(options->intervals.chat, 0.5);
    EXPECT_EQ(options->commands, (std::vector<std::vector<std::string>>{{"map", "q3dm6"}, {"addbot", "sarge", "2"}}));

    options = parseOptions({"--ioq3", "--chat-echo", "--frame-ms", "50", "--no-map", "--ioq3-writeconfig"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_TRUE(options->ioq3 && options->chatEcho && options->noMap && options->ioq3WriteConfig);
    EXPECT_EQ(options->frameMs, 50);
}

TEST(Options, BadValuesAreNamed)
{
    std::string error;
    EXPECT_FALSE(parseOptions({"--kill-every", "-1"}, error));
    EXPECT_NE(error.find("--kill-every"), std::string::npos);
    EXPECT_FALSE(parseOptions({"--frame-ms", "fast"}, error));
    EXPECT_NE(error.find("--frame-ms"), std::string::npos);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--max-players", "0"}, {"--seed"}, {"stray"}, {"+set", "only_a_name"}, {"--flood-rate", "10"}})
        EXPECT_FALSE(parseOptions(bad, error)) << bad[0];
}
