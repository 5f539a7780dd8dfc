// Numbered lines end to end: a real console host running q3sim, read by the
// pump and the command-line client.
#include "console/PumpFixture.h"
#include "integration/IntegrationSupport.h"

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct NumberedLinesTest : ConsoleFixture {
    ConsoleHostProcess host;
};

} // namespace

TEST_F(NumberedLinesTest, EveryLineOfAFloodReachesTheScriptOnceInOrder)
{
    startQ3sim(host);
    bool unloading = false;
    StringDisplay display;
    ConsolePump pump(bridge, display, unloading);
    bridge.setSelectedConsole(host.handle());
    long expected = 1;
    long outOfOrder = 0;
    pump.hooks().hasConsoleProc = [](const std::string& proc) { return proc == "Q3ARVL_flood"; };
    pump.hooks().runConsoleProc = [&](const std::string&, const std::string& data) {
        if (std::stol(data) != expected)
            ++outOfOrder;
        expected = std::stol(data) + 1;
        return ScriptCallResult{};
    };
    std::vector<std::string> debug;
    pump.hooks().debugPrint = [&](const std::string& text) { debug.push_back(text); };
    pump.runPass();

    constexpr long kLines = 200000;
    bridge.SendConsoleCommandTo("flood " + std::to_string(kLines), host.handle());
    EXPECT_TRUE(waitFor(
        [&] {
            pump.runPass();
            pump.trimDisplay();
            return expected > kLines;
        },
        std::chrono::seconds(120)));
    EXPECT_EQ(expected, kLines + 1);
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(pump.skippedLines(), 0u);
    EXPECT_TRUE(debug.empty()) << debug.front();
}

TEST_F(NumberedLinesTest, ExecPrintsOnlyTheCommandsOutputAndLeavesNoTrace)
{
    startQ3sim(host, {"--chat-every", "0.01"});
    const std::string handle = std::to_string(host.handle());
    std::uint64_t before = windows.readLines(host.handle(), 0, 1 << 20).newest;
    CommandResult listed, status;
    {
        Chatter other(host.handle()); // another client talks meanwhile
        listed = consoleClient({"exec", handle, "cvarlist"});
        status = consoleClient({"exec", handle, "status"});
    }

    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out.find("chatter"), std::string::npos);
    EXPECT_EQ(listed.out.find("rvl"), std::string::npos);
    EXPECT_NE(listed.out.find(" total cvars\n"), std::string::npos);
    ASSERT_EQ(status.status, 0) << status.err;
    EXPECT_EQ(status.out.rfind("map: q3dm17\n", 0), 0u) << status.out;

    // The requests and their output are in no one else's lines.
    LineBatch after = windows.readLines(host.handle(), before, 16 << 20);
    for (const NumberedLine& line : after.lines) {
        EXPECT_EQ(line.text.find("total cvars"), std::string::npos);
        EXPECT_EQ(line.text.find("]cvarlist"), std::string::npos);
        EXPECT_EQ(line.text.find("rvl"), std::string::npos) << line.text;
    }
    EXPECT_EQ(output(host.handle()).find("total cvars"), std::string::npos);
}

TEST_F(NumberedLinesTest, ReadByNumberAndExecFailureAreReported)
{
    startQ3sim(host);
    const std::string handle = std::to_string(host.handle());
    bridge.SendConsoleCommandTo("echo numbered-one", host.handle());
    ASSERT_TRUE(waitForOutput(host.handle(), "\r\nnumbered-one\r\n"));
    CommandResult read = consoleClient({"read", handle, "--since", "0", "--numbers"});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_NE(read.out.find("\tnumbered-one\n"), std::string::npos);
    EXPECT_EQ(read.out.rfind("1\t", 0), 0u);
    CommandResult future = consoleClient({"read", handle, "--since", "99999999"});
    EXPECT_EQ(future.status, 0);
    EXPECT_EQ(future.out, "");

    CommandResult tooLong = consoleClient({"exec", handle, std::string(300, 'x')});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.err.find("too long"), std::string::npos) << tooLong.err;
    host.process().stop();
    CommandResult gone = consoleClient({"exec", handle, "status"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_FALSE(gone.err.empty());
}
