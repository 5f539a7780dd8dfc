#include "console/CvarProbe.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <map>

using namespace ravelin;
using ravelin::sim::SimConsole;
using ravelin::sim::SimConsoleOptions;
using ravelin::sim::SimDesktop;
using ravelin::sim::SimMessageLoop;

namespace {

std::string answer(const std::string& name, const std::string& value, const std::string& def)
{
    return "\"" + name + "\" is:\"" + value + "\" default:\"" + def + "\"\n";
}

struct CvarProbeTest : testing::Test {
    SimDesktop desktop;
    SimMessageLoop loop;
    ConsoleBridge bridge{desktop, loop};
    CvarProbe probe{bridge};

    // A server that knows some cvars and answers the way Quake III does.
    static SimConsole::Server cvarServer(std::map<std::string, std::pair<std::string, std::string>> cvars)
    {
        return [cvars](SimConsole& c, const std::string& line) {
            auto it = cvars.find(line);
            if (it == cvars.end())
                c.print("Unknown command \"" + line + "\"\n");
            else
                c.print(answer(line, it->second.first, it->second.second));
        };
    }
};

} // namespace

TEST_F(CvarProbeTest, ReadsValueAndDefaultFromTheAnswerLine)
{
    SimConsole& console = desktop.addConsole();
    console.setServer(cvarServer({{"sv_hostname", {"My Server", "noname"}}, {"g_motd", {"", "welcome"}},
                                  {"spaced", {"  a b  ", " d "}}}));
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "sv_hostname"), "My Server");
    EXPECT_EQ(probe.GetCvarDefault(console.handle(), "sv_hostname"), "noname");
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "g_motd"), "");
    EXPECT_EQ(probe.GetCvarDefault(console.handle(), "g_motd"), "welcome");
    // Values come back exactly as they stand between the quotes.
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "spaced"), "  a b  ");
    EXPECT_EQ(probe.GetCvarDefault(console.handle(), "spaced"), " d ");
    EXPECT_EQ(console.entered().size(), 6u);
}

TEST_F(CvarProbeTest, UnknownCommandAnswersBothQueries)
{
    SimConsole& console = desktop.addConsole();
    console.setServer(cvarServer({}));
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "nosuch"), kCvarUnknownCommand);
    EXPECT_EQ(probe.GetCvarDefault(console.handle(), "nosuch"), kCvarUnknownCommand);
    EXPECT_EQ(console.entered().size(), 2u);
}

TEST_F(CvarProbeTest, UnknownCommandWordingIsCaseSensitive)
{
    SimConsole& console = desktop.addConsole();
    int queries = 0;
    console.setServer([&](SimConsole& c, const std::string& line) {
        c.print(++queries < 3 ? "unknown command \"" + line + "\"\n" : answer(line, "v", "d"));
    });
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "x"), "v");
    EXPECT_EQ(queries, 3);
}

TEST_F(CvarProbeTest, SlowServerIsAskedAgainUntilItAnswers)
{
    SimConsole& console = desktop.addConsole();
    // The answer arrives only after the fifth query has been typed.
    console.setServer([&](SimConsole& c, const std::string& line) {
        if (c.entered().size() == 5)
            loop.post(1, [&c, line] { c.print(answer(line, "27960", "27960")); });
    });
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "net_port"), "27960");
    EXPECT_EQ(console.entered().size(), 5u);
}

TEST_F(CvarProbeTest, SilenceEndsAfter1001AttemptsWithUnknown)
{
    SimConsole& console = desktop.addConsole();
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "sv_hostname"), kCvarUnknown);
    EXPECT_EQ(console.entered().size(), 1001u);
    EXPECT_EQ(probe.GetCvarDefault(console.handle(), "sv_hostname"), kCvarUnknown);
}

TEST_F(CvarProbeTest, NoConsoleOrNoOutputBoxGivesUnknown)
{
    EXPECT_EQ(probe.GetCvarValue(0, "sv_hostname"), kCvarUnknown);
    EXPECT_EQ(desktop.calls().sendChar, 1001);

    SimConsoleOptions options;
    options.withOutputBox = false;
    SimConsole& blind = desktop.addConsole(options);
    blind.setServer(cvarServer({{"sv_hostname", {"x", "y"}}}));
    // Each attempt walks the sibling list to its limit twice; keep it short
    // by checking the answer, not the cost.
    EXPECT_EQ(probe.GetCvarDefault(blind.handle(), "sv_hostname"), kCvarUnknown);
}

TEST_F(CvarProbeTest, AnEarlierAnswerStandingAsLastLineEndsTheWait)
{
    SimConsoleOptions options;
    options.echoInput = false;
    SimConsole& console = desktop.addConsole(options);
    console.print(answer("mapname", "q3dm17", "nomap"));
    // The server stays silent; whatever answer line is last is taken.
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "sv_hostname"), "q3dm17");
    EXPECT_EQ(console.entered().size(), 1u);
}

TEST_F(CvarProbeTest, ShortAnswerLinesGiveEmptyFields)
{
    EXPECT_EQ(CvarProbe::answerField("\"name\" is:\"value", 1), "");
    EXPECT_EQ(CvarProbe::answerField("\"name\" is:\"value\"", 1), "value");
    EXPECT_EQ(CvarProbe::answerField("\"name\" is:\"value\"", 2), "");
    EXPECT_EQ(CvarProbe::answerField("\"", 0), "");
    EXPECT_EQ(CvarProbe::answerField("\"\"\"\"\"\"", 2), "");

    SimConsoleOptions options;
    options.echoInput = false;
    SimConsole& console = desktop.addConsole(options);
    console.print("\"sv_hostname\" is:\"cut off\n");
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "sv_hostname"), "");
    EXPECT_EQ(probe.GetCvarDefault(console.handle(), "sv_hostname"), "");
}
