#include "consolehost/ConsoleModel.h"
#include "consolehost/ConsoleRequests.h"
#include "platform/ipc/IpcProtocol.h"

#include <gtest/gtest.h>

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
};

Status statusOf(const std::string& answer) { return static_cast<Status>(static_cast<unsigned char>(answer.at(0))); }

} // namespace

TEST(ProtocolCodecTest, FramesCarryABigEndianLength)
{
    std::string framed = frame("abc");
    ASSERT_EQ(framed.size(), 7u);
    EXPECT_EQ(framed.substr(0, 4), std::string("\0\0\0\3", 4));
    EXPECT_EQ(frameLength(std::string("\x01\x02\x03\x04", 4)), 0x01020304u);
}

TEST(ProtocolCodecTest, ReaderStopsSafelyAtTheEnd)
{
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
    std::vector<std::pair<std::string, std::string>> children;
    for (int i = 0; i < 5; ++i) {
        std::string cls = reader.string();
        children.emplace_back(cls, reader.string());
    }
    EXPECT_EQ(children,
              (std::vector<std::pair<std::string, std::string>>{
                  {"Edit", ""}, {"Button", "copy"}, {"Button", "clear"}, {"Button", "quit"}, {"Edit", ""}}));
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

TEST_F(RequestsTest, ShowAndHideActOnTheTopLevelWindowOnly)
{
    ask(Op::Show, kOutputBox, std::string(1, '\0'));
    EXPECT_TRUE(model.visible());
    ask(Op::Show, kConsoleWindow, std::string(1, '\0'));
    EXPECT_FALSE(model.visible());
    EXPECT_EQ(ask(Op::IsVisible, kConsoleWindow).substr(1), std::string(1, '\0'));
}

TEST_F(RequestsTest, MalformedRequestsAreAnsweredAndCloseTheConnection)
{
    std::string answer = requests.answer(std::string(1, '\x01'), closeAfter);
    EXPECT_EQ(statusOf(answer), Status::Malformed);
    EXPECT_TRUE(closeAfter);

    closeAfter = false;
    EXPECT_EQ(statusOf(ask(static_cast<Op>(200), 0)), Status::Malformed);
    EXPECT_TRUE(closeAfter);

    closeAfter = false;
    EXPECT_EQ(statusOf(ask(Op::GetText, kOutputBox, "ab")), Status::Malformed); // capacity cut short
    EXPECT_TRUE(closeAfter);
}

TEST_F(RequestsTest, UnknownWindowIsNotFatal)
{
    EXPECT_EQ(statusOf(ask(Op::TextLength, 9)), Status::NoWindow);
    EXPECT_FALSE(closeAfter);
}
