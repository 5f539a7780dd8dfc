// The RegExp pattern language: syntax, matching semantics, groups, flags,
// replacement templates, and subjects long enough to expose recursion.
#include "vbscript/Regex.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using ravelin::vbs::Regex;
using ravelin::vbs::RegexFlags;
using ravelin::vbs::RegexMatch;

namespace {

Regex make(std::string_view pattern, RegexFlags flags = {})
{
    auto result = Regex::compile(pattern, flags);
    EXPECT_TRUE(result) << "pattern " << pattern << ": " << result.error;
    return result ? *result.regex : *Regex::compile("(?!)").regex;
}

// The whole match, or "<none>".
std::string first(std::string_view pattern, std::string_view subject, RegexFlags flags = {})
{
    RegexMatch m;
    if (!make(pattern, flags).search(subject, 0, m))
        return "<none>";
    return std::string(subject.substr(m.start(), m.length()));
}

// Every group of the first match, unset ones as "-".
std::string groups(std::string_view pattern, std::string_view subject, RegexFlags flags = {})
{
    RegexMatch m;
    if (!make(pattern, flags).search(subject, 0, m))
        return "<none>";
    std::string out;
    for (std::size_t g = 0; g <= m.groupCount(); ++g)
        out += (g ? "," : "") + (m.groupSet(g) ? std::string(m.group(subject, g)) : "-");
    return out;
}

RegexFlags icase() { return RegexFlags{true, false}; }
RegexFlags multi() { return RegexFlags{false, true}; }

} // namespace

TEST(RegexSyntax, BadPatternsAreRefused)
{
    for (const char* bad : {"(", "(abc", "abc)", ")", "[abc", "[z-a]", "*a", "a**", "+", "a{2,1}", "\\", "(?<x)", "a|*",
                            "^*", "x{3}{2}", "(?"}) {
        auto r = Regex::compile(bad);
        EXPECT_TRUE(!r && !r.error.empty()) << bad;
    }
    // A huge repetition of a group is refused, not allocated; of one item it
    // is one instruction whatever the count.
    EXPECT_FALSE(Regex::compile("(ab){2000000}"));
    EXPECT_TRUE(Regex::compile("a{2000000}"));
}

// The first match of a pattern, case by case: literals, classes, anchors,
// groups, lookahead, quantifiers, alternation and the case flag.
TEST(Regex, FirstMatches)
{
    const struct {
        const char* pattern;
        std::string subject, match; // match: "<none>" when nothing matches
        RegexFlags flags = {};
    } cases[] = {
        // Braces that are no quantifier are literals.
        {"a{", "xa{", "a{"},
        {"a{,5}", "a{,5}", "a{,5}"},
        {"a}", "a}", "a}"},
        {"]", "a]", "]"},
        // Escapes denote their characters.
        {"\\n\\r\\t\\f\\v", "x\n\r\t\f\vy", "\n\r\t\f\v"},
        {"\\x41\\u0042", "zAB", "AB"},
        {"\\101", "A", "A"}, // octal, no groups
        {"\\0", std::string("a\0b", 3), std::string(1, '\0')},
        {"\\.\\/\\\\\\$", "a./\\$", "./\\$"},
        {"\\cJ", "a\nb", "\n"},
        {"\\c1", "x\\c1", "\\c1"}, // no control letter: a backslash
        {"\\u0100", "\x01\x00", "<none>"}, // beyond a byte never matches
        {"\\xZ", "xZ", "xZ"}, // incomplete hex is the letter
        // The dot stops at line breaks.
        {"a.b", "a\nb", "<none>"},
        {"a.b", "a\rb", "<none>"},
        {"a.b", "a\tb", "a\tb"},
        // Classes: ranges, negation, escapes, predefined sets.
        {"[a-c]+", "xxbcaz", "bca"},
        {"[^a-c]+", "abxyzc", "xyz"},
        {"[\\d.]+", "v1.25x", "1.25"},
        {"[\\w-]+", "  foo-bar baz", "foo-bar"},
        {"[\\d-z]+", "a9-zq", "9-z"}, // dash next to \d is literal
        {"[a-]+", "b-a-", "-a-"},
        {"[\\b]", "a\bb", "\b"},
        {"[]a]", "a", "<none>"}, // empty class matches nothing
        {"[\\]]", "a]", "]"},
        {"[^\\s]+", "  ab c", "ab"},
        {"\\d+", "ab123c", "123"},
        {"\\D+", "12ab3", "ab"},
        {"\\w+", "!! a_1 ", "a_1"},
        {"\\W+", "ab!?cd", "!?"},
        {"\\s+", "a \t\r\n\f\vb", " \t\r\n\f\v"},
        {"\\S+", "  xy ", "xy"},
        // Line anchors follow Multiline; no newline allowance at the very end.
        {"^b", "a\nb", "<none>"},
        {"^b", "a\nb", "b", multi()},
        {"^b", "a\rb", "b", multi()},
        {"a$", "a\nb", "<none>"},
        {"a$", "a\nb", "a", multi()},
        {"b$", "ab\n", "<none>"},
        {"\\Bcat", "cat concat", "cat"},
        // Backreferences; an unset group matches empty, a number beyond the
        // group count is octal.
        {"<(\\w+)>.*</\\1>", "<b>x</i><i>y</i>", "<i>y</i>"},
        {"(a)|\\1b", "b", "b"},
        {"(A)\\1", "aA", "aA", icase()},
        {"()\\1", "", ""},
        {"\\2(a)", "\2a", "\2a"}, // \2 is octal: the byte 2
        {"foo(?=bar)", "foobaz foobar", "foo"},
        {"foo(?!bar)\\w+", "foobar foobaz", "foobaz"},
        // Greedy and lazy quantifiers; empty iterations terminate.
        {"a{2}", "aaaa", "aa"},
        {"a{2,}", "aaaa", "aaaa"},
        {"a{1,3}", "aaaa", "aaa"},
        {"a{1,3}?", "aaaa", "a"},
        {"(ab){2,3}", "abababab", "ababab"},
        {"(ab){2,3}?", "abababab", "abab"},
        {"x*", "aaa", ""},
        {"a??b", "ab", "ab"},
        {"\\d+?0", "1200", "120"},
        {"[ab]*?c", "ababc", "ababc"},
        {"a{0}b", "ab", "b"},
        {"(?:)*x", "x", "x"},
        {"(\\b)*x", "x", "x"},
        // The leftmost alternative wins; three or more branches jump by their
        // first byte, and order and backtracking must not change.
        {"a|ab", "ab", "a"},
        {"ab|a", "ab", "ab"},
        {"cat|dog|bird", "a dog and a cat", "dog"},
        {"|x", "x", ""},
        {"\\b(hell|hello|shell)\\b", "Shell HELLO", "Shell", icase()},
        {"\\b(hell|hello|shell)\\b", "shelly HELLO", "HELLO", icase()},
        {"\\b(ass|bass|pass)\\b", "passage bass", "bass"},
        {"(x|[0-9]+|y)+", "a12x3yb", "12x3y"},
        {"(a|b|c)", "", "<none>"},
        {"(a|b|c|)d", "d", "d"}, // an empty branch
        // IgnoreCase folds literals and classes, Latin-1 letters too.
        {"hello", "Say HeLLo", "<none>"},
        {"hello", "Say HeLLo", "HeLLo", icase()},
        {"[a-c]+", "xABCx", "ABC", icase()},
        {"[^a]+", "Aab", "b", icase()},
        {"\\bBAD\\b", "so bad!", "bad", icase()},
        {"caf\xe9", "CAF\xc9", "CAF\xc9", icase()},
        {"\xd7", "\xf7", "<none>", icase()}, // but × and ÷ are no pair
        {"(\xe0)\\1", "\xe0\xc0", "\xe0\xc0", icase()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(first(c.pattern, c.subject, c.flags), c.match) << c.pattern << " on " << c.subject;
}

TEST(Regex, Groups)
{
    const struct {
        const char *pattern, *subject, *groups;
    } rows[] = {
        {"\\bcat\\b", "concat cat", "cat"},
        {"(\\d+)-(\\d+)", "tel 555-1234", "555-1234,555,1234"},
        {"(?:ab)+(c)", "ababc", "ababc,c"},
        {"(a)|(b)", "b", "b,-,b"},
        {"(a)?b", "b", "b,-"},
        {"((a)|b)+", "ab", "ab,b,-"}, // groups reset on each iteration
        {"(z)((a+)?(b+)?(c))*", "zaacbbbcac", "zaacbbbcac,z,ac,a,-,c"},
        {"(?=(a+))a*b\\1", "baaabac", "aba,a"},
        {"(?!(a))b", "b", "b,-"},
        {"(a*)*b", "aab", "aab,aa"},
        {"(a*)+b", "b", "b,"},
        {"(a|)*c", "aac", "aac,a"},
        {"(fuck|fucking|f\\w+)x", "fuckingx", "fuckingx,fucking"},
        {"(ab|a|abc)c", "abc", "abc,ab"},
        {"(abc|ab|a)c", "abc", "abc,ab"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(groups(r.pattern, r.subject), r.groups) << r.pattern;
}

TEST(RegexSearch, MatchPositionsStartPositionAndGlobalWalk)
{
    for (const auto& [pattern, subject] : {std::pair{"\\bcat\\b", "concat cat"}, std::pair{"\\Bcat", "cat concat"},
                                           std::pair{"foo(?=bar)", "foobaz foobar"}}) {
        RegexMatch m;
        EXPECT_TRUE(make(pattern).search(subject, 0, m) && m.start() == 7u) << pattern;
    }
    EXPECT_EQ(make("^x").searchAll("x\nx\rx").size(), 1u);
    EXPECT_EQ(make("^x", multi()).searchAll("x\nx\rx").size(), 3u);
    Regex r = make("\\d+");
    RegexMatch m;
    ASSERT_TRUE(r.search("a1b22c333", 2, m));
    EXPECT_EQ(std::make_tuple(m.start(), m.length()), std::make_tuple(3u, 2u));
    EXPECT_FALSE(r.search("a1", 2, m));
    auto all = r.searchAll("a1b22c333");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].start(), 6u);
    // Empty matches advance one position so the walk ends.
    EXPECT_EQ(make("x*").searchAll("abc").size(), 4u);
    EXPECT_FALSE(make("^a").search("ba", 1, m));
}

TEST(RegexReplace, TemplatesGlobalAndTwoDigitGroups)
{
    Regex r = make("(\\w+)@(\\w+)");
    // First or all, $&, $$, $` and $' are also regexp.vbs's.
    EXPECT_EQ(r.replace("me@host you@there", "$2 at $1", true), "host at me there at you");
    EXPECT_EQ(r.replace("a@b", "[$&|$`|$'|$$|$0|$3|$]", true), "[a@b|||$|$0|$3|$]");
    EXPECT_EQ(make("b").replace("abc", "<$`|$'>", true), "a<a|c>c");
    EXPECT_EQ(make("(a)(b)?").replace("ab a", "[$2|$1]", true), "[b|a] [|a]");
    EXPECT_EQ(make("o").replace("foo", "0", false), "f0o");
    // Two-digit groups when they exist.
    r = make("(.)(.)(.)(.)(.)(.)(.)(.)(.)(.)(.)"); // eleven groups
    EXPECT_EQ(r.replace("abcdefghijk", "$11$10$1", false), "kja");
    EXPECT_EQ(make("(a)").replace("a", "$10", false), "a0");
}

TEST(RegexLongSubjects, NoRecursionOnLongInput)
{
    std::string big(2'000'000, 'a');
    big += 'b';
    for (const char* pattern : {"a*b", "(?:a|c)*b", "(a)*b", "a*?b"})
        EXPECT_EQ(first(pattern, big).size(), big.size()) << pattern;
    std::string lines;
    for (int i = 0; i < 100'000; ++i)
        lines += "line\n";
    EXPECT_EQ(make("^line$", multi()).searchAll(lines).size(), 100'000u);
}

TEST(RegexLongSubjects, InterruptAbandonsRunawayBacktracking)
{
    struct Abandoned {};
    int calls = 0;
    auto previous = ravelin::vbs::setRegexInterrupt({[](void* c) {
                                                         if (++*static_cast<int*>(c) >= 3)
                                                             throw Abandoned{};
                                                     },
                                                     &calls});
    EXPECT_THROW(make("(a+)+b").test(std::string(40, 'a')), Abandoned); // 2^40 ways to fail
    EXPECT_EQ(calls, 3);
    // The thread's matcher is usable again afterwards.
    EXPECT_EQ(first("(a+)+b", "aab"), "aab");
    ravelin::vbs::setRegexInterrupt(previous);
}
