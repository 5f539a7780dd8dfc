#include "consolehost/ConsoleModel.h"
#include "platform/ipc/IpcProtocol.h"

#include <gtest/gtest.h>

using ravelin::consolehost::ConsoleModel;

namespace {

struct ModelTest : testing::Test {
    ConsoleModel model;
    int replacements = 0;

    void SetUp() override
    {
        ConsoleModel::Events events;
        events.outputChanged = [this](bool replaced, std::string_view) { replacements += replaced ? 1 : 0; };
        model.setEvents(events);
    }

    std::vector<std::string> drain()
    {
        std::vector<std::string> lines;
        while (model.hasQueuedLine())
            lines.push_back(model.takeQueuedLine());
        return lines;
    }
};

} // namespace

// LF becomes CR LF, colour codes go (also across reads), "^^" keeps one
// caret, a caret before a line end stays, other bytes pass untouched.
TEST_F(ModelTest, ServerOutputAsTheBoxShowsIt)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"one\ntwo\r\nthree"}, "one\r\ntwo\r\nthree"},   {{"a\r", "\nb\n"}, "a\r\nb\r\n"},
        {{"^1Red^7Guy ^^2x\n"}, "RedGuy ^x\r\n"},         {{"Real ^", "1Arena\n"}, "Real Arena\r\n"},
        {{"value^\nnext^", "\n"}, "value^\r\nnext^\r\n"}, {{"caf\xe9 \xff\x01\n"}, "caf\xe9 \xff\x01\r\n"},
    };
    for (const auto& [reads, shown] : cases) {
        model.clearOutput();
        for (const std::string& read : reads)
            model.serverOutput(read);
        EXPECT_EQ(model.output(), shown) << reads[0];
    }
}

// Text that would pass the limit replaces the whole box; a read larger than
// the box keeps its end.
TEST_F(ModelTest, TextPassingTheLimitReplacesTheWholeBox)
{
    model.serverOutput(std::string(ConsoleModel::kOutputLimit - 10, 'a'));
    model.serverOutput("0123456789"); // exactly at the limit: appended
    EXPECT_EQ(model.output().size(), ConsoleModel::kOutputLimit);
    EXPECT_EQ(replacements, 0);
    model.serverOutput("new\n");
    EXPECT_EQ(model.output(), "new\r\n");
    EXPECT_EQ(replacements, 1);
    model.serverOutput(std::string(ConsoleModel::kOutputLimit + 100, 'x') + "END");
    EXPECT_EQ(model.output().size(), ConsoleModel::kOutputLimit);
    EXPECT_EQ(model.output().substr(model.output().size() - 3), "END");
}

TEST_F(ModelTest, EnterQueuesAndEmptiesTheLineWhichIsEchoedOnceTaken)
{
    model.setInput("status");
    model.typeChar('\r');
    EXPECT_EQ(model.input() + model.output(), "");
    EXPECT_EQ(model.takeBatch(), "status\n");
    EXPECT_EQ(model.output(), "");
    model.inputTaken();
    EXPECT_EQ(model.output(), "]status\r\n");
}

TEST_F(ModelTest, BacklogGoesOutAsWholeLinesJoinedUpTo255Bytes)
{
    std::string expected, echoed, all;
    for (int i = 0; i < 40; ++i) {
        model.submit("echo " + std::to_string(i)); // 7 or 8 bytes with the LF
        expected += "echo " + std::to_string(i) + "\n";
        echoed += "]echo " + std::to_string(i) + "\r\n";
    }
    std::vector<std::string> batches;
    while (model.hasQueuedLine()) {
        batches.push_back(model.takeBatch());
        model.inputTaken();
        all += batches.back();
        EXPECT_LE(batches.back().size(), ConsoleModel::kMaxLineBytes);
        EXPECT_EQ(batches.back().back(), '\n');
    }
    EXPECT_EQ(batches.size(), 2u);
    EXPECT_EQ(all, expected);
    EXPECT_EQ(model.output(), echoed);

    // A line of 255 bytes goes alone.
    model.submit("short");
    model.submit(std::string(254, 'k'));
    EXPECT_EQ(model.takeBatch(), "short\n");
    EXPECT_EQ(model.takeBatch().size(), 255u);
}

TEST_F(ModelTest, InputLineIsLimitedAndTypingPastTheLimitIsRefused)
{
    int typed = 0;
    ConsoleModel::Events events;
    events.inputTyped = [&](char) { ++typed; };
    model.setEvents(events);
    for (std::size_t i = 0; i < ConsoleModel::kMaxInputBytes + 500; ++i)
        model.typeChar('x');
    EXPECT_EQ(model.input().size(), ConsoleModel::kMaxInputBytes);
    EXPECT_EQ(typed, int(ConsoleModel::kMaxInputBytes));
    // Said once, not once per character.
    EXPECT_EQ(model.lineCount(), 1);
    EXPECT_NE(model.output().find("at most 1024 characters"), std::string::npos);

    model.setInput(std::string(ConsoleModel::kMaxInputBytes + 1, 'y'));
    EXPECT_EQ(model.input(), "");
    model.setInput("fits");
    EXPECT_EQ(model.input(), "fits");
}

TEST_F(ModelTest, LineCountFollowsEveryChangeOfTheBox)
{
    EXPECT_EQ(model.lineCount(), -1);
    model.serverOutput("a\r");
    EXPECT_EQ(model.lineCount(), 0);
    model.serverOutput("\nb\nc");
    EXPECT_EQ(model.lineCount(), 2);
    model.note("x\n");
    EXPECT_EQ(model.lineCount(), 3);
    model.serverOutput(std::string(ConsoleModel::kOutputLimit, 'z') + "\n");
    EXPECT_EQ(model.lineCount(), 1);
    model.setOutput("p\r\nq\r\nr");
    EXPECT_EQ(model.lineCount(), 2);
    model.clearOutput();
    EXPECT_EQ(model.lineCount(), -1);
}

// Backspace edits; ";" stays inside a line; embedded line ends split it;
// 254 characters go whole and a longer line is cut to 255 bytes, saying so.
TEST_F(ModelTest, EnteredLinesAsTheyAreQueued)
{
    for (char c : std::string("ecx\bh"))
        model.typeChar(c);
    EXPECT_EQ(model.input(), "ech");
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"echo a;status;echo b", {"echo a;status;echo b\n"}},
        {"echo one\necho two\r\necho three", {"echo one\n", "echo two\n", "echo three\n"}},
        {std::string(254, 'k'), {std::string(254, 'k') + "\n"}},
        {std::string(300, 'k'), {std::string(254, 'k') + "\n"}},
    };
    for (const auto& [typed, queued] : cases) {
        model.clearOutput();
        model.setInput(typed);
        model.enter();
        EXPECT_EQ(drain(), queued) << typed;
        EXPECT_EQ(model.output().find("line cut to 254") != std::string::npos, typed.size() > 255) << typed;
    }
}

// Clear needs down then up on the same button; quit sends "quit"; copy
// hands over the box; hiding twice is one change.
TEST_F(ModelTest, ButtonsAndVisibility)
{
    std::string copied;
    int changes = 0;
    ConsoleModel::Events events;
    events.copyRequested = [&](const std::string& text) { copied = text; };
    events.visibilityChanged = [&](bool) { ++changes; };
    model.setEvents(events);
    model.serverOutput("text\n");
    model.buttonUp(ravelin::ipc::kClearButton);
    model.buttonDown(ravelin::ipc::kCopyButton);
    model.buttonUp(ravelin::ipc::kClearButton);
    EXPECT_EQ(model.output(), "text\r\n");
    model.click(ravelin::ipc::kCopyButton);
    EXPECT_EQ(copied, "text\r\n");
    model.buttonDown(ravelin::ipc::kClearButton);
    model.buttonUp(ravelin::ipc::kClearButton);
    EXPECT_EQ(model.output(), "");
    model.click(ravelin::ipc::kQuitButton);
    EXPECT_EQ(drain(), (std::vector<std::string>{"quit\n"}));

    EXPECT_TRUE(model.visible());
    model.setVisible(false);
    model.setVisible(false);
    EXPECT_FALSE(model.visible());
    model.setVisible(true);
    EXPECT_EQ(changes, 2);
}
