// The probe and the host's feeding against q3sim playing the ioq3 engine:
// one console read per 50 ms frame, the ioq3 answer forms, silence for an
// unknown name before a map.
#include "integration/IntegrationSupport.h"

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct EngineProbeTest : ConsoleFixture {
    ConsoleHostProcess host;
    int markers = 0;

    void start(std::vector<std::string> extra = {})
    {
        extra.insert(extra.end(), {"--ioq3", "--frame-ms", "50", "+set", "sv_hostname", "Engine Arena"});
        startQ3sim(host, std::move(extra));
    }

    // Once this echo is back, every line typed before it has been taken.
    void settle()
    {
        std::string marker = "settled-" + std::to_string(++markers);
        bridge.SendConsoleCommandTo("echo " + marker, host.handle());
        ASSERT_TRUE(waitForOutput(host.handle(), "\r\n" + marker + "\r\n"));
    }

    int copiesTaken(const std::string& command)
    {
        std::string text = "\r\n" + output(host.handle());
        int copies = 0;
        std::string needle = "\r\n]" + command + "\r\n";
        for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
            ++copies;
        return copies;
    }
};

} // namespace

TEST_F(EngineProbeTest, AnswerFormsAndUnknownNamesWithAMap)
{
    start();
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Engine Arena");
    EXPECT_EQ(probe.GetCvarDefault(host.handle(), "sv_hostname"), "noname");
    EXPECT_EQ(consoleClient({"cvar", std::to_string(host.handle()), "g_gametype", "--default"}).out, "0\n");
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "version").rfind("Q3 1.32", 0), 0u);
    EXPECT_EQ(probe.GetCvarDefault(host.handle(), "version"), "");
    EXPECT_EQ(consoleClient({"cvar", std::to_string(host.handle()), "nosuchcvar"}).out, "UNKNOWN COMMAND\n");
    settle();
    // Queries run for their output alone: the window never shows them.
    EXPECT_EQ(copiesTaken("nosuchcvar"), 0);
    EXPECT_EQ(copiesTaken("g_gametype"), 0);
}

// The chat echo's form is CvarProbeTest's and EngineFormsTest's.
TEST_F(EngineProbeTest, SilenceBeforeAMapIsAnUnknownName)
{
    start({"--no-map"});
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "nosuchcvar"), "UNKNOWN COMMAND");
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Engine Arena");
    settle();
    EXPECT_EQ(copiesTaken("nosuchcvar"), 0);
}

// Probes behind a backlog never mix their answers, and the backlog and a
// line sent after it reach the server whole and in order.
TEST_F(EngineProbeTest, ABacklogMixesNoProbesAndLosesNoLine)
{
    start();
    auto sendLines = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            bridge.SendConsoleCommandTo("echo line " + std::to_string(i), host.handle());
    };
    sendLines(1, 60);
    for (int round = 0; round < 4; ++round) {
        EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Engine Arena") << round;
        std::string port = probe.GetCvarValue(host.handle(), "net_port");
        EXPECT_GT(std::atoi(port.c_str()), 0) << round << ": " << port;
    }
    sendLines(61, 200);
    bridge.SendConsoleCommandTo("say after the backlog", host.handle());
    ASSERT_TRUE(waitForOutput(host.handle(), "console: after the backlog\r\n", std::chrono::seconds(30)));
    std::string text = output(host.handle());
    std::size_t at = 0;
    for (int i = 1; i <= 200; ++i) {
        at = text.find("\r\nline " + std::to_string(i) + "\r\n", at);
        ASSERT_NE(at, std::string::npos) << i;
    }
    EXPECT_EQ(copiesTaken("sv_hostname"), 0);
}
