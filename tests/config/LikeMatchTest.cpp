// VB's Like as completion uses it (both sides upper-cased by the caller).
#include "config/LikeMatch.h"

#include <gtest/gtest.h>

using ravelin::likeMatch;

TEST(LikeMatch, PatternTable)
{
    struct Case {
        const char* text;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"SETA", "SE*", true},
        {"SET", "SE*", true},
        {"STATUS", "SE*", false},
        {"", "*", true},
        {"", "", true},
        {"A", "", false},
        {"MAP Q3DM17", "MAP Q3DM*", true},
        {"MAP Q3DM17", "M?P*", true},
        {"MP", "M?P*", false},
        {"Q3DM17", "Q#DM##", true},
        {"QXDM17", "Q#DM##", false},
        {"ABCXYZ", "A*C*Z", true},
        {"ABCXYZ", "A*C*Y", false},
        {"AAAB", "*AB", true},
        {"MAP", "M[A-C]P", true},
        {"MDP", "M[A-C]P", false},
        {"MDP", "M[!A-C]P", true},
        {"MAP", "M[!A-C]P", false},
        {"MAP", "M[C-A]P", true}, // reversed range
        {"M-P", "M[-A]P", true}, // a leading - is literal
        {"MXP", "M[XYZ]P", true},
        {"M*P", "M[*]P", true}, // specials are literal in a class
        {"M?P", "M[?]P", true},
        {"MAP", "M[?]P", false},
        {"MP", "M[]P", true}, // [] matches nothing at all
        {"M[AP", "M[A*", true}, // unbalanced: a literal bracket
        {"MAP", "M[A*", false},
        {"[", "[", true},
        {"SAY \"HI\"", "SAY \"*", true},
        {"\xe9T\xc9", "\xe9?\xc9", true}, // bytes beyond ASCII match themselves
    };
    for (const Case& c : cases)
        EXPECT_EQ(likeMatch(c.text, c.pattern), c.match) << '"' << c.text << "\" Like \"" << c.pattern << '"';
}

TEST(LikeMatch, ManyStarsStayFast)
{
    const std::string text(2000, 'A');
    EXPECT_FALSE(likeMatch(text, "*A*A*A*A*A*A*A*A*B"));
    EXPECT_TRUE(likeMatch(text, "*A*A*A*A*A*A*A*A*"));
}
