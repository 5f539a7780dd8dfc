// The status reply, the STATUS table in both engines' layouts, and the name
// keys and command arguments made from player names.
#include "clients/PlayerText.h"
#include "clients/StatusBlock.h"
#include "clients/StatusReply.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace ravelin;

namespace {

const std::string kHeader = std::string("\xff\xff\xff\xffstatusResponse\n", 19);

} // namespace

TEST(PlayerStatusReply, RepliesGiveTheirPlayerLinesInOrder)
{
    struct Case {
        std::string reply;
        bool isReply;
        std::vector<std::string> players;
    } cases[] = {
        {kHeader + "\\sv_hostname\\x\n", true, {}},
        {kHeader + "\\sv_hostname\\x", true, {}},
        {kHeader + "\\a\\b\n3 50 \"Bob\"\n0 999 \"^1Red Guy\"\n", true, {"3 50 \"Bob\"", "0 999 \"^1Red Guy\""}},
        {std::string("\xff\xff\xff\xffstatusRESPONSE\n\\a\\b\n1 2 \"X\"\n\n", 33), true, {"1 2 \"X\""}},
        {std::string("\xff\xff\xff\xffinfoResponse\n\\a\\b", 21), true, {}},
        {std::string("\xff\xff\xff\xffprint\nhello\n", 16), false, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsStatusReply(c.reply), c.isReply) << c.reply;
        EXPECT_EQ(ParseStatusReply(c.reply), c.players) << c.reply;
    }
}

TEST(PlayerStatusReply, TheRealServersReplyListsItsBots)
{
    // The captured reply, kept as a fuzz seed.
    const std::string reply = test::readFile(test::sourceDir() / "fuzz/corpus/status_reply/openarena-three-bots");
    ASSERT_FALSE(reply.empty());
    EXPECT_TRUE(IsStatusReply(reply));
    EXPECT_EQ(ParseStatusReply(reply),
              (std::vector<std::string>{"1 0 \"^2Green Angel\"", "1 0 \"Major\"", "0 0 \"Sarge\""}));
}

TEST(PlayerText, NameKeysLoseColourCodesQuotesAndOuterBlanks)
{
    const std::pair<std::string, std::string> cases[] = {
        {"3 50 \"Bob\"", "\"Bob\""},
        {"3 50 \"^1Red^7Guy\"", "\"RedGuy\""},
        {"3 50 \"^9Nine^a\"", "\"^9Nine^a\""},
        {"3 50 \"^^11Odd\"", "\"Odd\""},
        {"3 50 \"Two Words\"", "\"Two Words\""},
        {"3 50 \"Two  Blanks \"", "\"Two  Blanks\""},
        {"3 50 \"^3 Spaced^7 \"", "\"Spaced\""},
        {"3 50 \"say \"hi\"\"", "\"say hi\""},
        {"3 50", "\"\""},
    };
    for (const auto& [line, key] : cases)
        EXPECT_EQ(NameKey(line), key) << line;
}

TEST(PlayerText, PlayerTextStaysInsideOneArgument)
{
    EXPECT_EQ(SafeArgument("Bob;quit"), "Bob:quit");
    EXPECT_EQ(SafeArgument("a\"b\r\nc"), "a'b  c");
    EXPECT_EQ(SafeNameField("\"Bob;quit\""), "\"Bob:quit\"");
    EXPECT_EQ(SafeNameField("\"\";quit;\""), "\"':quit:\"");
    EXPECT_TRUE(NameFieldNeedsCleaning("\"a;b\""));
    EXPECT_FALSE(NameFieldNeedsCleaning("\"Bob\""));
    EXPECT_EQ(StripConsoleColours("^2Green^^7 ^xA"), "Green^ A");
}

TEST(PlayerStatusBlock, BothLayoutsGiveSlotsAndNameColumns)
{
    // Quake III Arena 1.32 (q3sim), colour codes already gone in the console.
    const std::string q3 = "map: q3dm17\r\n"
                           "num score ping name            lastmsg address               qport rate\r\n"
                           "--- ----- ---- --------------- ------- --------------------- ----- -----\r\n"
                           "  0     5   50 Bob                   0 127.0.0.1:27960       1234  25000\r\n"
                           " 12     0   48 Two Words             0 bot                   0     25000\r\n"
                           "\r\n";
    StatusTable t = ParseStatusBlock(q3);
    ASSERT_TRUE(t.hasHeader);
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0].slot, 0);
    EXPECT_TRUE(NameColumnStartsWith(t.rows[0].nameColumn, "Bob"));
    EXPECT_FALSE(NameColumnStartsWith(t.rows[0].nameColumn, "Bo"));
    EXPECT_EQ(t.rows[1].slot, 12);
    EXPECT_TRUE(NameColumnStartsWith(t.rows[1].nameColumn, "Two Words"));
    EXPECT_TRUE(NameColumnStartsWith(t.rows[1].nameColumn, "Two"));

    // OpenArena as captured (raw, colour codes still there) and as the
    // console window shows it.
    const std::string oa = "map: oa_dm1\r\n"
                           "cl score ping name            address                                 rate \r\n"
                           "-- ----- ---- --------------- --------------------------------------- -----\r\n"
                           " 0     0    0 ^2Green Angel     ^7bot                                     16384\r\n"
                           " 3     0    0 Sarge           ^7bot                                     16384\r\n"
                           "\r\n";
    for (const std::string& block : {oa, StripConsoleColours(oa)}) {
        t = ParseStatusBlock(block);
        ASSERT_EQ(t.rows.size(), 2u) << block;
        EXPECT_EQ(t.rows[1].slot, 3);
        EXPECT_TRUE(NameColumnStartsWith(StripConsoleColours(t.rows[0].nameColumn), "Green Angel"));
        EXPECT_TRUE(NameColumnStartsWith(t.rows[1].nameColumn, "Sarge"));
    }

    for (const char* empty : {"Server is not running.\r\n", "", "  3     0   50 Bob  0 bot\r\n"}) {
        t = ParseStatusBlock(empty);
        EXPECT_TRUE(t.rows.empty()) << empty;
    }
    // A numbered line too short for the name column ends the table.
    t = ParseStatusBlock("num score ping name\r\n  1 0\r\n  2     0   50 Late\r\n");
    EXPECT_TRUE(t.rows.empty());
}
