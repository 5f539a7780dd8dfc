// The console host's protocol: frames, and the answer to each request, from
// the window's text to numbered lines and commands run for their output.
#include "consolehost/ConsoleModel.h"
#include "consolehost/ConsoleRequests.h"
#include "platform/ipc/IpcProtocol.h"

#include <gtest/gtest.h>

using namespace ravelin;
using namespace ravelin::ipc;
using ravelin::consolehost::ConsoleModel;
using ravelin::consolehost::ConsoleRequests;

namespace {

struct RequestsTest : testing::Test {
    ConsoleModel model;
    ConsoleRequests requests{model, {1234, 5678}};
    bool closeAfter = false;

    std::string ask(Op op, int window, std::string_view arguments = {}, std::uint64_t from = 0)
    {
        PayloadWriter writer;
        writer.u8(static_cast<std::uint8_t>(op)).u8(static_cast<std::uint8_t>(window)).raw(arguments);
        return requests.answer(writer.payload(), closeAfter, from);
    }
    // The answer to a request on the console window, past its Ok status.
    PayloadReader ok(Op op, const std::string& arguments, std::uint64_t from = 7)
    {
        m_answer = ask(op, 0, arguments, from);
        PayloadReader reader(m_answer);
        EXPECT_EQ(reader.u8(), 0);
        return reader;
    }
    LineBatch read(std::uint64_t after)
    {
        PayloadReader reader = ok(Op::ReadLines, PayloadWriter().u64(after).u32(1 << 20).payload());
        return decodeBatch(reader);
    }
    std::vector<std::string> texts(std::uint64_t after)
    {
        std::vector<std::string> all;
        for (NumberedLine& line : read(after).lines)
            all.push_back(line.text);
        return all;
    }
    // The server takes what was written to it and runs it: each command is
    // printed back as the engine's echo would print an "echo" argument.
    void serverRuns()
    {
        std::string batch = model.takeBatch();
        model.inputTaken();
        std::string printed;
        for (std::size_t start = 0, end; (end = batch.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = batch.substr(start, end - start);
            printed += line.rfind("echo ", 0) == 0 ? line.substr(5) + "\n" : "ran " + line + "\n";
        }
        model.serverOutput(printed);
    }

private:
    std::string m_answer;
};

Status statusOf(const std::string& answer) { return static_cast<Status>(static_cast<unsigned char>(answer.at(0))); }

} // namespace

TEST(ProtocolCodecTest, FramesCarryABigEndianLengthAndReadersStopAtTheEnd)
{
    std::string framed = frame("abc");
    ASSERT_EQ(framed.size(), 7u);
    EXPECT_EQ(framed.substr(0, 4), std::string("\0\0\0\3", 4));
    EXPECT_EQ(frameLength(std::string("\x01\x02\x03\x04", 4)), 0x01020304u);

    // A reader stops safely at the end.
    std::string payload = PayloadWriter().u32(7).string("hello").payload();
    PayloadReader reader(payload);
    EXPECT_EQ(reader.u32(), 7u);
    EXPECT_EQ(reader.string(), "hello");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_TRUE(reader.ok());
    EXPECT_EQ(reader.u32(), 0u);
    EXPECT_FALSE(reader.ok());

    // A string length pointing past the end must not read beyond it.
    std::string lying = PayloadWriter().u32(1000).raw("ab").payload();
    PayloadReader bad(lying);
    EXPECT_EQ(bad.string(), "");
    EXPECT_FALSE(bad.ok());
}

TEST_F(RequestsTest, DescribeListsTheWindowAndItsChildrenInOrder)
{
    std::string answer = ask(Op::Describe, 0);
    ASSERT_EQ(statusOf(answer), Status::Ok);
    PayloadReader reader(std::string_view(answer).substr(1));
    EXPECT_EQ(reader.u32(), kProtocolVersion);
    EXPECT_EQ(reader.u32(), 1234u);
    EXPECT_EQ(reader.u32(), 5678u);
    EXPECT_EQ(reader.string(), "Q3 WinConsole");
    EXPECT_EQ(reader.string(), "Quake 3 Console");
    ASSERT_EQ(reader.u8(), 5);
    std::vector<std::string> children(10); // class and text of each
    for (std::string& s : children)
        s = reader.string();
    EXPECT_EQ(
        children,
        (std::vector<std::string>{"Edit", "", "Button", "copy", "Button", "clear", "Button", "quit", "Edit", ""}));
    EXPECT_TRUE(reader.ok());
}

TEST_F(RequestsTest, TextIsCutToCapacityMinusOne)
{
    model.serverOutput("hello\n");
    std::string length = ask(Op::TextLength, kOutputBox);
    EXPECT_EQ(frameLength(length.substr(1)), 7u);
    EXPECT_EQ(ask(Op::GetText, kOutputBox, PayloadWriter().u32(8).payload()).substr(1), "hello\r\n");
    EXPECT_EQ(ask(Op::GetText, kOutputBox, PayloadWriter().u32(4).payload()).substr(1), "hel");
    EXPECT_EQ(ask(Op::GetText, kOutputBox, PayloadWriter().u32(0).payload()).substr(1), "");
}

// Two clients typing at once (Ravelin's probe and an operator's `send`):
// each Enter sends the line its own client set, none is lost or doubled,
// and a client that went away leaves nothing behind.
TEST_F(RequestsTest, ClientsTypingAtOnceEachEnterTheirOwnLine)
{
    ask(Op::SetText, kInputLine, "QUIT", 1);
    ask(Op::SetText, kInputLine, "FS_BASEPATH", 2);
    ask(Op::Char, kInputLine, "\r", 1);
    ask(Op::Char, kInputLine, "\r", 2);
    EXPECT_EQ(model.takeQueuedLine(), "QUIT\n");
    EXPECT_EQ(model.takeQueuedLine(), "FS_BASEPATH\n");
    EXPECT_FALSE(closeAfter);

    // Typing character by character keeps its own line too.
    ask(Op::Char, kInputLine, "s", 1);
    ask(Op::SetText, kInputLine, "status", 2);
    ask(Op::Char, kInputLine, "v", 1);
    ask(Op::Char, kInputLine, "\r", 1);
    EXPECT_EQ(model.takeQueuedLine(), "sv\n");
    ask(Op::Char, kInputLine, "\r", 2);
    EXPECT_EQ(model.takeQueuedLine(), "status\n");

    // A connection that closed before its Enter: the next Enter sends the
    // box as it stands.
    ask(Op::SetText, kInputLine, "map q3dm1", 3);
    requests.forget(3);
    model.setInput("say hi");
    ask(Op::Char, kInputLine, "\r", 4);
    EXPECT_EQ(model.takeQueuedLine(), "say hi\n");
}

// Show and hide act on the top-level window only; an unknown window is not fatal.
TEST_F(RequestsTest, ShowAndHideActOnTheTopLevelWindowOnly)
{
    ask(Op::Show, kOutputBox, std::string(1, '\0'));
    EXPECT_TRUE(model.visible());
    ask(Op::Show, kConsoleWindow, std::string(1, '\0'));
    EXPECT_FALSE(model.visible());
    EXPECT_EQ(ask(Op::IsVisible, kConsoleWindow).substr(1), std::string(1, '\0'));
    EXPECT_EQ(statusOf(ask(Op::TextLength, 9)), Status::NoWindow);
    EXPECT_FALSE(closeAfter);
}

TEST_F(RequestsTest, MalformedRequestsAreAnsweredAndCloseTheConnection)
{
    // Too short, an unknown operation, GetText on the output box with its capacity cut short.
    static_assert(static_cast<int>(Op::GetText) == 3 && kOutputBox == 5);
    for (const std::string& request :
         {std::string(1, '\x01'), std::string("\xc8\0", 2), std::string("\x03\x05") + "ab"}) {
        closeAfter = false;
        EXPECT_EQ(statusOf(requests.answer(request, closeAfter)), Status::Malformed) << request;
        EXPECT_TRUE(closeAfter);
    }
}

TEST_F(RequestsTest, LinesAreNumberedWhateverTheWindowDoes)
{
    model.serverOutput("^1red\nwhite\npart");
    model.clearOutput();
    model.serverOutput("ial\n");
    EXPECT_EQ(texts(0), (std::vector<std::string>{"red", "white", "partial"}));
    LineBatch batch = read(1);
    EXPECT_EQ(batch.first, 2u);
    EXPECT_EQ(batch.newest, 3u);
    EXPECT_EQ(read(3).lines.size(), 0u);
}

TEST_F(RequestsTest, SendLineLeavesTheHalfTypedInputAlone)
{
    model.setInput("half typed");
    ok(Op::SendLine, "say hi");
    EXPECT_EQ(model.input(), "half typed");
    EXPECT_EQ(model.takeBatch(), "say hi\n");
}

TEST_F(RequestsTest, ExecOutputGoesOnlyToItsOwner)
{
    model.serverOutput("before\n");
    PayloadReader started = ok(Op::ExecStart, PayloadWriter().u32(5000).raw("status").payload());
    const std::uint64_t id = started.u64();
    ASSERT_NE(id, 0u);
    // A game event printed in the same read, after the command's markers.
    serverRuns();
    model.serverOutput("kill: after\n");

    PayloadReader other = ok(Op::ExecResult, PayloadWriter().u64(id).payload(), 8);
    EXPECT_EQ(other.u8(), static_cast<std::uint8_t>(ExecState::Failed));
    PayloadReader mine = ok(Op::ExecResult, PayloadWriter().u64(id).payload());
    EXPECT_EQ(mine.u8(), static_cast<std::uint8_t>(ExecState::Done));
    EXPECT_EQ(mine.string(), "");
    ASSERT_EQ(mine.u32(), 1u);
    mine.u8();
    EXPECT_EQ(mine.string(), "ran status");

    EXPECT_EQ(texts(0), (std::vector<std::string>{"before", "kill: after"}));
    EXPECT_EQ(model.output(), "before\r\nkill: after\r\n");
}

TEST_F(RequestsTest, ExecRefusalsAndTimeoutsSayWhy)
{
    const std::pair<std::string, const char*> cases[] = {{"", "no command given"},
                                                         {"a\nb", "a command is one line"},
                                                         {std::string(250, 'x'), "the command is too long"}};
    for (const auto& [command, error] : cases) {
        PayloadReader reader = ok(Op::ExecStart, PayloadWriter().u32(1000).raw(command).payload());
        EXPECT_EQ(reader.u64(), 0u);
        EXPECT_EQ(reader.string().rfind(error, 0), 0u) << command;
    }
    // Never taken: it fails once its time is up, and is never sent.
    PayloadReader started = ok(Op::ExecStart, PayloadWriter().u32(0).raw("status").payload());
    std::uint64_t id = started.u64();
    PayloadReader result = ok(Op::ExecResult, PayloadWriter().u64(id).payload());
    EXPECT_EQ(result.u8(), static_cast<std::uint8_t>(ExecState::Failed));
    EXPECT_EQ(result.string(), "the server did not take the command in time");
    EXPECT_FALSE(model.hasQueuedLine());
}
