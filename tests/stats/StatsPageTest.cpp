// The web page's text: untrusted names can never become markup.
#include "stats/StatsPage.h"

#include <gtest/gtest.h>

using namespace ravelin::stats;

TEST(StatsPageTest, NamesAreEscapedAndColourCodesDropped)
{
    EXPECT_EQ(htmlText("^1Red^7Guy"), "RedGuy");
    EXPECT_EQ(htmlText("<b>x</b>"), "&#60;b&#62;x&#60;&#47;b&#62;");
    EXPECT_EQ(htmlText("a\"'&\xe9"), "a&#34;&#39;&#38;&#233;");
    EXPECT_EQ(htmlText("tab\there"), "tab here");

    StatsSnapshot s;
    s.server = "<script>alert(1)</script>";
    PlayerFigures p;
    p.id = 1;
    p.name = "<img src=x onerror=alert(1)>";
    p.favouriteWeapon = "MOD_<i>";
    s.players.push_back(p);
    s.games.push_back({1, "q3\"dm", 0, 0, "<u>", {{"</td>", 3}}});
    const std::string page = renderStatsPage(s);
    for (const char* forbidden : {"<script", "<img", "<i>", "<u>", "</td>&", "\"dm"})
        EXPECT_EQ(page.find(forbidden), std::string::npos) << forbidden;
    EXPECT_NE(page.find("<table id=\"players\">"), std::string::npos);
    EXPECT_NE(page.find("<svg id=\"online\""), std::string::npos);
}
