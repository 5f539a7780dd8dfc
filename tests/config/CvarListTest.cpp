// Sorting and searching the cvar table.
#include "config/CvarList.h"

#include <gtest/gtest.h>

using namespace ravelin;

namespace {

std::vector<std::string> keys(const CvarList& list)
{
    std::vector<std::string> out;
    for (const CvarRow& row : list.rows())
        out.push_back(row.key);
    return out;
}

const std::vector<CvarRow> kRows = {
    {"sv_hostname", "b"}, {"g_motd", "C"}, {"SV_FPS", "a"}, {"bot_enable", "c"}, {"sv_fps", "a"}};

} // namespace

TEST(CvarList, ClicksChooseColumnAndDirectionAndReloadsKeepThem)
{
    CvarList list;
    list.load(kRows);
    EXPECT_EQ(list.LastSortColumn(), 0);
    // Case-free order; equal keys keep the file's order.
    EXPECT_EQ(keys(list), (std::vector<std::string>{"bot_enable", "g_motd", "SV_FPS", "sv_fps", "sv_hostname"}));

    struct Step {
        int column;
        int sortColumn;
        bool ascending;
        std::vector<std::string> keys;
    };
    const Step steps[] = {
        {2, 1, true, {"SV_FPS", "sv_fps", "sv_hostname", "bot_enable", "g_motd"}}, // by value, ascending
        {2, 1, false, {"bot_enable", "g_motd", "sv_hostname", "SV_FPS", "sv_fps"}}, // flipped; C = c stay put
        {1, 0, true, {"bot_enable", "g_motd", "SV_FPS", "sv_fps", "sv_hostname"}}, // another column: ascending
        {1, 0, false, {"sv_hostname", "SV_FPS", "sv_fps", "g_motd", "bot_enable"}},
    };
    for (const Step& s : steps) {
        list.columnClick(s.column);
        EXPECT_EQ(list.sortColumn(), s.sortColumn) << s.column;
        EXPECT_EQ(list.ascending(), s.ascending) << s.column;
        EXPECT_EQ(list.LastSortColumn(), s.column);
        EXPECT_EQ(keys(list), s.keys) << s.column;
    }
    // A reload sorts by the same column and direction.
    list.load({{"a", "1"}, {"c", "2"}, {"b", "3"}});
    EXPECT_EQ(keys(list), (std::vector<std::string>{"c", "b", "a"}));
}

TEST(CvarList, AnEditedValueStaysPutAndASelectionFollowsItsRow)
{
    CvarList list;
    list.load(kRows);
    list.columnClick(2); // by value
    list.setValue(0, "zzz");
    EXPECT_EQ(list.rows()[0].value, "zzz") << "no re-sort until the next click";
    // The row at 0 (SV_FPS, now zzz) goes last when sorted by value again.
    const int followed = list.columnClick(1, 0);
    EXPECT_EQ(list.rows()[static_cast<std::size_t>(followed)].value, "zzz");
    list.setValue(99, "ignored");
}

TEST(CvarList, SearchFindsTheFirstRowInDisplayOrderWhoseNameBeginsWithTheText)
{
    CvarList list;
    list.load(kRows);
    EXPECT_EQ(list.find("sv_"), 2); // SV_FPS, any case
    EXPECT_EQ(list.find("SV_H"), 4);
    EXPECT_EQ(list.find("g"), 1);
    EXPECT_EQ(list.find("x"), -1);
    EXPECT_EQ(list.find("sv_hostname_long"), -1);
    list.columnClick(1);
    list.columnClick(1); // descending
    EXPECT_EQ(list.find("sv_"), 0); // sv_hostname is first now
    EXPECT_EQ(list.find(""), 0);
}
