// The ring of numbered lines, and the protocol operations over it: reading by
// number, sending a line whole, and a command run for its output alone.
#include "consolehost/ConsoleModel.h"
#include "consolehost/ConsoleRequests.h"
#include "platform/LineRing.h"
#include "platform/ipc/IpcProtocol.h"

#include <gtest/gtest.h>

using namespace ravelin;
using namespace ravelin::ipc;
using ravelin::consolehost::ConsoleModel;
using ravelin::consolehost::ConsoleRequests;

TEST(LineRingTest, ReadsAfterANumberAndCountsWhatLeft)
{
    LineRing ring(1); // keeps only its newest block
    const std::string line(99, 'x');
    for (int i = 0; i < 6000; ++i)
        ring.add(line);
    ASSERT_GT(ring.oldest(), 1u);
    EXPECT_LE(ring.bytes(), LineRing::kBlockBytes + 4096 * 4 * 4);

    struct Case {
        std::uint64_t after;
        std::uint64_t first;
        std::uint64_t missed;
    };
    const Case cases[] = {
        {0, ring.oldest(), ring.oldest() - 1}, // older than the ring
        {ring.oldest(), ring.oldest() + 1, 0}, // inside
        {ring.newest() - 1, ring.newest(), 0}, // the last line
        {ring.newest(), 0, 0}, // nothing new
        {ring.newest() + 1000, 0, 0}, // in the future
    };
    for (const Case& c : cases) {
        LineBatch batch = ring.read(c.after, 1 << 30);
        EXPECT_EQ(batch.first, c.first) << c.after;
        EXPECT_EQ(batch.missed, c.missed) << c.after;
        EXPECT_EQ(batch.newest, 6000u);
        EXPECT_EQ(batch.lines.size(), batch.first == 0 ? 0 : 6000 - batch.first + 1) << c.after;
    }
    // A bounded read still hands out at least one line.
    EXPECT_EQ(ring.read(ring.oldest(), 1).lines.size(), 1u);
    EXPECT_EQ(ring.read(ring.oldest(), 310).lines.size(), 3u);
}

TEST(LineRingTest, MemoryStaysWithinItsBound)
{
    LineRing ring(4u * 1024 * 1024);
    for (int i = 0; i < 300000; ++i)
        ring.add("a line of some length: " + std::to_string(i));
    EXPECT_LE(ring.bytes(), 4u * 1024 * 1024);
    EXPECT_GT(ring.bytes(), 3u * 1024 * 1024);
    EXPECT_EQ(ring.read(ring.newest() - 1, 100).lines.at(0).text, "a line of some length: 299999");
}

TEST(LineRingTest, TailStartCountsCharactersWithTheirLineEnds)
{
    LineRing ring;
    EXPECT_EQ(ring.tailStart(32767), 0u);
    for (int i = 0; i < 10; ++i)
        ring.add("12345678"); // 10 characters each with CR LF
    EXPECT_EQ(ring.tailStart(100), 0u);
    EXPECT_EQ(ring.tailStart(99), 1u);
    EXPECT_EQ(ring.tailStart(30), 7u);
    EXPECT_EQ(ring.tailStart(9), 10u);
}

TEST(LineAssemblerTest, CutsLinesAndSplitsTheLongOnes)
{
    LineAssembler assembler;
    std::vector<std::pair<std::string, bool>> lines;
    auto sink = [&](std::string_view line, bool continues) { lines.emplace_back(std::string(line), continues); };
    assembler.feed("one\r\ntw", sink);
    assembler.feed("o\r", sink);
    assembler.feed("\nthree", sink);
    EXPECT_EQ(lines, (std::vector<std::pair<std::string, bool>>{{"one", false}, {"two", false}}));
    lines.clear();
    assembler.feed(std::string(LineAssembler::kMaxPiece * 2, 'z') + "\r\n", sink);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].second);
    EXPECT_EQ(lines[0].first, "three" + std::string(LineAssembler::kMaxPiece - 5, 'z'));
    EXPECT_TRUE(lines[1].second);
    EXPECT_FALSE(lines[2].second);
    EXPECT_EQ(lines[2].first, std::string(5, 'z'));
}

namespace {

struct NumberedRequestsTest : testing::Test {
    ConsoleModel model;
    ConsoleRequests requests{model, {1, 2}};
    bool closeAfter = false;

    PayloadReader ask(Op op, const std::string& arguments, std::uint64_t from = 7)
    {
        PayloadWriter writer;
        writer.u8(static_cast<std::uint8_t>(op)).u8(0).raw(arguments);
        m_answer = requests.answer(writer.payload(), closeAfter, from);
        PayloadReader reader(m_answer);
        EXPECT_EQ(reader.u8(), 0);
        return reader;
    }
    LineBatch read(std::uint64_t after)
    {
        PayloadReader reader = ask(Op::ReadLines, PayloadWriter().u64(after).u32(1 << 20).payload());
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
    void serverRuns(const std::string& extraOutput = {})
    {
        std::string batch = model.takeBatch();
        model.inputTaken();
        std::string printed;
        for (std::size_t start = 0, end; (end = batch.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = batch.substr(start, end - start);
            if (line.rfind("echo ", 0) == 0)
                printed += line.substr(5) + "\n";
            else
                printed += "ran " + line + "\n" + extraOutput;
        }
        model.serverOutput(printed);
    }

private:
    std::string m_answer;
};

} // namespace

TEST_F(NumberedRequestsTest, LinesAreNumberedWhateverTheWindowDoes)
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

TEST_F(NumberedRequestsTest, SendLineLeavesTheHalfTypedInputAlone)
{
    model.setInput("half typed");
    ask(Op::SendLine, "say hi");
    EXPECT_EQ(model.input(), "half typed");
    EXPECT_EQ(model.takeBatch(), "say hi\n");
}

TEST_F(NumberedRequestsTest, ExecOutputGoesOnlyToItsOwner)
{
    model.serverOutput("before\n");
    PayloadReader started = ask(Op::ExecStart, PayloadWriter().u32(5000).raw("status").payload());
    const std::uint64_t id = started.u64();
    ASSERT_NE(id, 0u);
    // A game event printed in the same read, after the command's markers.
    serverRuns();
    model.serverOutput("kill: after\n");

    PayloadReader other = ask(Op::ExecResult, PayloadWriter().u64(id).payload(), 8);
    EXPECT_EQ(other.u8(), static_cast<std::uint8_t>(ExecState::Failed));
    PayloadReader mine = ask(Op::ExecResult, PayloadWriter().u64(id).payload());
    EXPECT_EQ(mine.u8(), static_cast<std::uint8_t>(ExecState::Done));
    EXPECT_EQ(mine.string(), "");
    ASSERT_EQ(mine.u32(), 1u);
    mine.u8();
    EXPECT_EQ(mine.string(), "ran status");

    EXPECT_EQ(texts(0), (std::vector<std::string>{"before", "kill: after"}));
    EXPECT_EQ(model.output(), "before\r\nkill: after\r\n");
}

TEST_F(NumberedRequestsTest, ExecRefusalsAndTimeoutsSayWhy)
{
    struct Case {
        std::string command;
        const char* error;
    };
    const Case cases[] = {{"", "no command given"},
                          {"a\nb", "a command is one line"},
                          {std::string(250, 'x'), "the command is too long"}};
    for (const Case& c : cases) {
        PayloadReader reader = ask(Op::ExecStart, PayloadWriter().u32(1000).raw(c.command).payload());
        EXPECT_EQ(reader.u64(), 0u);
        EXPECT_EQ(reader.string().rfind(c.error, 0), 0u) << c.command;
    }
    // Never taken: it fails once its time is up, and is never sent.
    PayloadReader started = ask(Op::ExecStart, PayloadWriter().u32(0).raw("status").payload());
    std::uint64_t id = started.u64();
    PayloadReader result = ask(Op::ExecResult, PayloadWriter().u64(id).payload());
    EXPECT_EQ(result.u8(), static_cast<std::uint8_t>(ExecState::Failed));
    EXPECT_EQ(result.string(), "the server did not take the command in time");
    EXPECT_FALSE(model.hasQueuedLine());
}
