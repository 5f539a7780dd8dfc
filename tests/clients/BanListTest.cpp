// The lasting ban list: its file, expiry and matching.
#include "clients/BanList.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace ravelin;
using namespace ravelin::test;

namespace {

Ban oddBan()
{
    Ban ban;
    ban.name = std::string("\"^1B o%b=\x01\r\n\xff;quit\"", 20);
    ban.address = "10.1.2.3";
    ban.key = "AB%CD EF";
    ban.reason = std::string("tab\there\0nul", 12);
    ban.since = 1'800'000'000;
    ban.ends = 1'800'003'600;
    return ban;
}

} // namespace

TEST(BanFile, EveryByteOfEveryFieldSurvivesARoundTrip)
{
    BanFileContent content;
    content.bans = {oddBan(), Ban{"\"Plain\"", "", "", "", 5, 0, {}}};
    const std::string bytes = SerializeBanFile(content);
    // One line per ban, whatever the player typed.
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 4);
    const BanFileContent back = ParseBanFile(bytes);
    EXPECT_TRUE(back.problems.empty()) << back.problems.front();
    EXPECT_EQ(back.bans, content.bans);
}

TEST(BanFile, DamagedPartsAreSkippedWithTheirReasons)
{
    const std::string whole = SerializeBanFile({1, {oddBan(), oddBan()}, {}, {}});
    struct Case {
        std::string bytes;
        std::size_t bans;
        std::string problem;
    } cases[] = {
        {whole.substr(0, whole.size() - 3), 2, "was cut short"},
        {whole.substr(0, whole.find("ban", 20) + 10), 1, "was cut short"},
        {"ravelin-bans 1\nban name=%2 since=1 ends=never\nend 1\n", 0,
         "line 2 was skipped: the field name has a broken"},
        {"ravelin-bans 1\nban since=1 ends=never\nend 1\n", 0, "no name, address or key"},
        {"ravelin-bans 1\nban name=x since=soon\nend 1\n", 0, "since is not a number"},
        {"garbage\nban name=x since=1 ends=never\nend 1\n", 1, "does not start with"},
    };
    for (const Case& c : cases) {
        const BanFileContent content = ParseBanFile(c.bytes);
        EXPECT_EQ(content.bans.size(), c.bans) << c.bytes;
        ASSERT_FALSE(content.problems.empty()) << c.bytes;
        EXPECT_NE(content.problems.front().find(c.problem), std::string::npos) << content.problems.front();
    }
}

TEST(BanList, ANewerVersionsFieldsAndLinesAreWrittenBack)
{
    TempDir dir;
    const auto file = BanList::fileFor(dir.path(), "local host", 27960);
    EXPECT_EQ(file.filename(), "local_host_27960.bans");
    writeFile(file, "ravelin-bans 2\nban name=%22Bob%22 since=7 ends=never colour=^1red\nnote kept=1\nend 1\n");
    BanList list;
    EXPECT_TRUE(list.load(file).empty());
    list.add(Ban{"\"Eve\"", "", "", "", 9, 0, {}});
    ASSERT_TRUE(list.save(true));
    const std::string bytes = readFile(file);
    EXPECT_EQ(bytes.rfind("ravelin-bans 2\n", 0), 0u);
    EXPECT_NE(bytes.find("ends=never colour=^1red\n"), std::string::npos);
    EXPECT_NE(bytes.find("\nnote kept=1\n"), std::string::npos);
    EXPECT_EQ(readFile(std::filesystem::path(file.string() + ".bak")).find("ban name=%22Eve"), std::string::npos);
}

TEST(BanList, AnUnreadableFileStaysUntilTheOperatorChangesABan)
{
    TempDir dir;
    const auto file = dir.path() / "bans" / "x.bans";
    const std::string damaged = "ravelin-bans 1\nban name=%22A%22 since=1 ends=never\nban name=%ZZ\n";
    writeFile(file, damaged);
    BanList list;
    EXPECT_EQ(list.load(file).size(), 2u); // the broken line and the missing end
    EXPECT_EQ(list.size(), 1u);
    list.removeExpired(2);
    EXPECT_TRUE(list.save(false));
    EXPECT_EQ(readFile(file), damaged);
    list.add(Ban{"\"B\"", "", "", "", 1, 0, {}});
    EXPECT_TRUE(list.save(true));
    EXPECT_EQ(readFile(std::filesystem::path(file.string() + ".unreadable")), damaged);
    BanList again;
    EXPECT_TRUE(again.load(file).empty());
    EXPECT_EQ(again.size(), 2u);
}

TEST(BanList, BansEndExactlyOnTheirSecondAndMatchByAnyPart)
{
    BanList list;
    list.add(Ban{"\"Bob\"", "", "", "", 100, 0, {}});
    list.add(Ban{"\"Old\"", "10.0.0.1", "KEY1", "r", 100, 160, {}});
    struct Case {
        PlayerIdentity who;
        std::int64_t now;
        const char* banned; // the ban's name, "" for none
    } cases[] = {
        {{"\"Bob\"", "", ""}, 1'000'000, "\"Bob\""},   {{"\"bob\"", "", ""}, 100, ""},
        {{"\"New\"", "10.0.0.1", ""}, 159, "\"Old\""}, {{"\"New\"", "", "KEY1"}, 159, "\"Old\""},
        {{"\"Old\"", "10.0.0.1", "KEY1"}, 160, ""},    {{"", "", ""}, 0, ""},
    };
    for (const Case& c : cases) {
        const Ban* ban = list.match(c.who, c.now);
        EXPECT_EQ(ban ? ban->name : std::string(), c.banned) << c.who.nameKey << " at " << c.now;
    }
    EXPECT_TRUE(list.removeExpired(159).empty());
    ASSERT_EQ(list.removeExpired(160).size(), 1u);
    EXPECT_FALSE(list.hasAddressBans());
}

TEST(BanList, DurationsAreTypedWithTheirUnit)
{
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {{"permanent", 0},     {"", 0},
                                                                         {"30m", 1800},        {"2 h", 7200},
                                                                         {"7d", 604800},       {"3 days", 259200},
                                                                         {"10", std::nullopt}, {"-5m", std::nullopt},
                                                                         {"m", std::nullopt}};
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(BanList::parseDuration(text), seconds) << text;
    EXPECT_EQ(BanList::endText(Ban{"x", "", "", "", 0, 1'800'000'000, {}}), "2027-01-15 08:00:00 UTC");
}
