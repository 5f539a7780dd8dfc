#include "console/CvarProbe.h"
#include "console/PumpFixture.h"

#include <map>

using namespace ravelin;
using ravelin::sim::SimConsole;
using ravelin::sim::SimConsoleOptions;

namespace {

std::string answer(const std::string& name, const std::string& value, const std::string& def)
{
    return "\"" + name + "\" is:\"" + value + "\" default:\"" + def + "\"\n";
}

struct CvarProbeTest : test::SimBridgeTest {
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

TEST_F(CvarProbeTest, EveryEngineFormIsRead)
{
    // What the engines print for one query, and what each query returns.
    struct Case {
        const char* printed;
        const char* value;
        const char* def;
    };
    const Case cases[] = {
        {"\"x\" is:\"v\" default:\"d\"\n", "v", "d"}, // 1.32, ioq3 when changed
        {"\"x\" is:\"  a b  \" default:\" d \"\n", "  a b  ", " d "}, // exactly as between the quotes
        {"\"x\" is:\"\" default:\"welcome\"\n", "", "welcome"},
        {"\"x\" is:\"v\", the default\n", "v", "v"}, // ioq3 at the default
        {"\"x\" is:\"ro\"\n", "ro", ""}, // ioq3 read-only
        {"\"X\" is:\"v\" default:\"d\"\n", "v", "d"}, // the engine's spelling of the name
        {"Unknown command \"x\"\n", kCvarUnknownCommand, kCvarUnknownCommand},
        {"unknown command: x\n", kCvarUnknownCommand, kCvarUnknownCommand},
        {"server: x\n", kCvarUnknownCommand, kCvarUnknownCommand},
        {"broadcast: print \"server: x\\n\"\n", kCvarUnknownCommand, kCvarUnknownCommand},
        {"", kCvarUnknownCommand, kCvarUnknownCommand}, // ioq3 before a map: silence
    };
    for (const Case& c : cases) {
        SimConsole& console = desktop.addConsole();
        std::string printed = c.printed;
        console.setServer([printed](SimConsole& con, const std::string&) {
            if (!printed.empty())
                con.print(printed);
        });
        EXPECT_EQ(probe.GetCvarValue(console.handle(), "x"), c.value) << c.printed;
        EXPECT_EQ(probe.GetCvarDefault(console.handle(), "x"), c.def) << c.printed;
        EXPECT_EQ(console.entered().size(), 2u) << c.printed; // once per query
    }
}

TEST_F(CvarProbeTest, OnlyLinesNamingTheCvarAnswerIt)
{
    SimConsole& console = desktop.addConsole();
    console.setServer([&](SimConsole& c, const std::string& line) {
        c.print(answer("net_port", "27960", "27960"));
        c.print("unknown command: xsv_hostname\n");
        c.print("Unknown command \"sv_hostnamex\"\n");
        c.print("server: sv_hostnamey\n");
        c.print(answer(line, "Mine", "noname"));
    });
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "sv_hostname"), "Mine");
    EXPECT_EQ(console.entered().size(), 1u);
}

TEST_F(CvarProbeTest, QueryAndAnswerStayOffTheConsole)
{
    SimConsole& console = desktop.addConsole();
    console.print("before\n");
    console.setServer(cvarServer({{"sv_hostname", {"x", "y"}}}));
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "sv_hostname"), "x");
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "nosuchcvar"), kCvarUnknownCommand);
    EXPECT_EQ(console.output(), "before\r\n");
    EXPECT_EQ(console.ring().newest(), 1u);
}

TEST_F(CvarProbeTest, NoConsoleOrNoNumberedLinesGivesUnknown)
{
    EXPECT_EQ(probe.GetCvarValue(0, "sv_hostname"), kCvarUnknown);
    EXPECT_EQ(desktop.calls().sendChar, 0);

    SimConsoleOptions options;
    options.numberedLines = false;
    SimConsole& old = desktop.addConsole(options);
    old.setServer(cvarServer({{"sv_hostname", {"x", "y"}}}));
    EXPECT_EQ(probe.GetCvarDefault(old.handle(), "sv_hostname"), kCvarUnknown);
}

TEST_F(CvarProbeTest, ConsoleClosingDuringTheWaitAnswersAtOnce)
{
    SimConsole& console = desktop.addConsole();
    WindowHandle handle = console.handle();
    console.setServer([&](SimConsole&, const std::string&) { loop.post(1, [&] { desktop.closeWindow(handle); }); });
    int before = loop.yields();
    EXPECT_EQ(probe.GetCvarValue(handle, "sv_hostname"), kCvarUnknown);
    EXPECT_LT(loop.yields() - before, 50);
}

TEST_F(CvarProbeTest, ShortAnswerLinesGiveEmptyFields)
{
    EXPECT_EQ(CvarProbe::answerField("\"name\" is:\"value", 1), "");
    EXPECT_EQ(CvarProbe::answerField("\"name\" is:\"value\"", 1), "value");
    EXPECT_EQ(CvarProbe::answerField("\"name\" is:\"value\"", 2), "");
    EXPECT_EQ(CvarProbe::answerField("\"", 0), "");
    EXPECT_EQ(CvarProbe::answerField("\"\"\"\"\"\"", 2), "");

    SimConsole& console = desktop.addConsole();
    console.setServer([](SimConsole& c, const std::string&) { c.print("\"sv_hostname\" is:\"cut off\n"); });
    EXPECT_EQ(probe.GetCvarValue(console.handle(), "sv_hostname"), "");
    EXPECT_EQ(probe.GetCvarDefault(console.handle(), "sv_hostname"), "");
}
