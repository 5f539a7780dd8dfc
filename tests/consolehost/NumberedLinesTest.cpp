// The ring of numbered lines and the assembly of lines from a stream.
#include "platform/LineRing.h"

#include <gtest/gtest.h>

using namespace ravelin;

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
