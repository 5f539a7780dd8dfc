// The ioq3 engine's console forms, as Debian's OpenArena server prints them
// (see the captured transcript): cvar answers with ", the default" or no
// default part, "unknown command: x" with a map and silence without one, and
// baseq3's chat echo of unknown words.
#include "ServerFixture.h"

namespace {

struct EngineFormsTest : ServerFixture {
    EngineFormsTest() { server.setIoq3Forms(true); }
};

} // namespace

TEST_F(EngineFormsTest, CvarAnswersTakeTheIoq3Forms)
{
    run("set sv_hostname \"My Arena\"");
    const std::pair<const char*, const char*> cases[] = {
        {"sv_hostname", "\"sv_hostname\" is:\"My Arena^7\" default:\"noname^7\""},
        {"g_gametype", "\"g_gametype\" is:\"0^7\", the default"},
        {"G_GAMETYPE", "\"g_gametype\" is:\"0^7\", the default"},
        {"version", "\"version\" is:\"Q3 1.32 linux-i386 Oct  7 2002^7\""},
    };
    for (const auto& [command, line] : cases)
        EXPECT_EQ(run(command), std::vector<std::string>{line}) << command;
}

TEST_F(EngineFormsTest, UnknownCommandsAreLowerCaseWithAMapAndSilentWithout)
{
    EXPECT_EQ(run("nosuchcvar"), std::vector<std::string>{"unknown command: nosuchcvar"});
    server.setChatEcho(true);
    EXPECT_EQ(run("nosuchcvar two words"),
              std::vector<std::string>{"broadcast: print \"server: nosuchcvar two words\\n\""});

    q3sim::Server idle([this](const std::string& line) { output.push_back(line); }, 7, "/srv/q3");
    idle.setIoq3Forms(true);
    idle.finishStartupSets();
    output.clear();
    idle.executeText("nosuchcvar\n");
    EXPECT_TRUE(output.empty());
    idle.executeText("status\n");
    EXPECT_EQ(output, std::vector<std::string>{"Server is not running."});
}
