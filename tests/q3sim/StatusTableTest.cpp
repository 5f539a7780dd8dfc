// The console status table, read the way the roster reads it: slot from
// columns 1-3, score from column 5, ping from column 11, name from column 16
// up to the first blank.
#include "q3sim/Players.h"
#include "q3sim/Reports.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace q3sim;

namespace {

std::string trim(std::string_view text) { return std::string(ravelin::trimBlanks(text)); }

// Slot, score, ping and name as the roster cuts them out of a row.
std::vector<std::string> parseRow(const std::string& row)
{
    return {trim(row.substr(0, 3)), trim(row.substr(4, 5)), trim(row.substr(10, 4)),
            row.substr(15, row.find(' ', 15) - 15)};
}

Player player(int slot, const std::string& name, int score, int ping, bool bot = false)
{
    Player p;
    p.slot = slot;
    p.name = name;
    p.score = score;
    p.ping = ping;
    p.bot = bot;
    p.address = bot ? "bot" : "203.0.113.7:27960";
    p.qport = bot ? 0 : 4242;
    p.rate = bot ? 16384 : 25000;
    p.lastmsg = 50;
    return p;
}

} // namespace

TEST(StatusTable, HeaderAndRuleLines)
{
    EXPECT_EQ(statusTable("q3dm17", {}),
              (std::vector<std::string>{
                  "map: q3dm17", "num score ping name            lastmsg address               qport rate",
                  "--- ----- ---- --------------- ------- --------------------- ----- -----", ""}));
}

TEST(StatusTable, RowColumnsForOneToThreeDigitSlots)
{
    struct Case {
        Player p;
        std::vector<std::string> fields; // slot, score, ping, name
    };
    const Case cases[] = {
        {player(3, "Bob", 12, 50), {"3", "12", "50", "Bob"}},
        {player(42, "^1Red^7Guy", -3, 999), {"42", "-3", "999", "^1Red^7Guy"}},
        {player(123, "^2Green^9Angel", 10000, 9999), {"123", "10000", "9999", "^2Green^9Angel"}},
        {player(0, "Sarge", 0, 0, true), {"0", "0", "0", "Sarge"}},
        // The roster's known limit: it reads the name up to the first blank,
        // which a name of sixteen letters still has after it.
        {player(4, "Two Words", 0, 30), {"4", "0", "30", "Two"}},
        {player(4, std::string(16, 'N'), 0, 30), {"4", "0", "30", std::string(16, 'N')}},
    };
    for (const auto& c : cases) {
        const std::string row = statusRow(c.p);
        EXPECT_EQ(parseRow(row), c.fields) << row;
        // Slot right-aligned in columns 1-3.
        EXPECT_EQ(row.substr(0, 3), std::string(3 - c.fields[0].size(), ' ') + c.fields[0]) << row;
    }
}

TEST(StatusTable, NameIsPaddedToSixteenSoLaterColumnsLineUp)
{
    std::string a = statusRow(player(1, "Bob", 1, 20));
    std::string b = statusRow(player(2, "^1Red^7Guy", 1, 20));
    EXPECT_EQ(a.substr(15, 16), "Bob             ");
    EXPECT_EQ(b.substr(15, 16), "^1Red^7Guy      ");
    EXPECT_EQ(a.size(), b.size());
    EXPECT_EQ(a.substr(31), "     50 203.0.113.7:27960      4242 25000");
    EXPECT_EQ(statusRow(player(5, "Sarge", 0, 0, true)).substr(31), "     50 bot                       0 16384");
}

// The ioq3 layout byte for byte as Debian's OpenArena server printed it for
// four bots (the capture's second STATUS), and a human player's row.
TEST(StatusTable, Ioq3LayoutMatchesTheRealServer)
{
    const std::vector<std::string> captured = {
        "map: oa_dm1",
        "cl score ping name            address                                 rate ",
        "-- ----- ---- --------------- --------------------------------------- -----",
        " 0     0    0 ^2Green Angel     ^7bot                                     16384",
        " 1     0    0 Gargoyle        ^7bot                                     16384",
        " 2     0    0 Major           ^7bot                                     16384",
        " 3     0    0 Sarge           ^7bot                                     16384",
        "",
    };
    EXPECT_EQ(ioq3StatusTable("oa_dm1",
                              {player(0, "^2Green Angel", 0, 0, true), player(1, "Gargoyle", 0, 0, true),
                               player(2, "Major", 0, 0, true), player(3, "Sarge", 0, 0, true)}),
              captured);
    EXPECT_EQ(ioq3StatusTable("q3dm17", {player(12, "A Very Long Player Name", -7, 10000)})[3],
              "12    -7 9999 A Very Long Player Name ^7203.0.113.7:27960                       25000");
}
