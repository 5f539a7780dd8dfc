// The RegExp pattern language: syntax, matching semantics, groups, flags,
// replacement templates, and subjects long enough to expose recursion.
#include "vbscript/Regex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ravelin::vbs::Regex;
using ravelin::vbs::RegexFlags;
using ravelin::vbs::RegexMatch;

namespace {

Regex make(std::string_view pattern, RegexFlags flags = {})
{
    auto result = Regex::compile(pattern, flags);
    EXPECT_TRUE(result) << "pattern " << pattern << ": " << result.error;
    if (!result)
        return *Regex::compile("(?!)").regex;
    return *result.regex;
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
    for (std::size_t g = 0; g <= m.groupCount(); ++g) {
        if (g)
            out += ',';
        out += m.groupSet(g) ? std::string(m.group(subject, g)) : "-";
    }
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
        EXPECT_FALSE(r) << bad;
        EXPECT_FALSE(r.error.empty()) << bad;
    }
}

TEST(RegexSyntax, BracesThatAreNoQuantifierAreLiterals)
{
    EXPECT_EQ(first("a{", "xa{"), "a{");
    EXPECT_EQ(first("a{,5}", "a{,5}"), "a{,5}");
    EXPECT_EQ(first("a}", "a}"), "a}");
    EXPECT_EQ(first("]", "a]"), "]");
}

TEST(RegexSyntax, HugeRepetitionIsRefusedNotAllocated)
{
    EXPECT_FALSE(Regex::compile("(ab){2000000}"));
    EXPECT_TRUE(Regex::compile("a{2000000}")); // one instruction whatever the count
}

TEST(RegexLiterals, EscapesDenoteTheirCharacters)
{
    EXPECT_EQ(first("\\n\\r\\t\\f\\v", "x\n\r\t\f\vy"), "\n\r\t\f\v");
    EXPECT_EQ(first("\\x41\\u0042", "zAB"), "AB");
    EXPECT_EQ(first("\\101", "A"), "A"); // octal, no groups
    EXPECT_EQ(first("\\0", std::string("a\0b", 3)), std::string(1, '\0'));
    EXPECT_EQ(first("\\.\\/\\\\\\$", "a./\\$"), "./\\$");
    EXPECT_EQ(first("\\cJ", "a\nb"), "\n");
    EXPECT_EQ(first("\\c1", "x\\c1"), "\\c1"); // no control letter: a backslash
    EXPECT_EQ(first("\\u0100", "\x01\x00"), "<none>"); // beyond a byte never matches
    EXPECT_EQ(first("\\xZ", "xZ"), "xZ"); // incomplete hex is the letter
}

TEST(RegexLiterals, DotStopsAtLineBreaks)
{
    EXPECT_EQ(first("a.b", "a\nb"), "<none>");
    EXPECT_EQ(first("a.b", "a\rb"), "<none>");
    EXPECT_EQ(first("a.b", "a\tb"), "a\tb");
}

TEST(RegexClasses, RangesNegationAndEscapes)
{
    EXPECT_EQ(first("[a-c]+", "xxbcaz"), "bca");
    EXPECT_EQ(first("[^a-c]+", "abxyzc"), "xyz");
    EXPECT_EQ(first("[\\d.]+", "v1.25x"), "1.25");
    EXPECT_EQ(first("[\\w-]+", "  foo-bar baz"), "foo-bar");
    EXPECT_EQ(first("[\\d-z]+", "a9-zq"), "9-z"); // dash next to \d is literal
    EXPECT_EQ(first("[a-]+", "b-a-"), "-a-");
    EXPECT_EQ(first("[\\b]", "a\bb"), "\b");
    EXPECT_EQ(first("[]a]", "a"), "<none>"); // empty class matches nothing
    EXPECT_EQ(first("[\\]]", "a]"), "]");
    EXPECT_EQ(first("[^\\s]+", "  ab c"), "ab");
}

TEST(RegexClasses, PredefinedSets)
{
    EXPECT_EQ(first("\\d+", "ab123c"), "123");
    EXPECT_EQ(first("\\D+", "12ab3"), "ab");
    EXPECT_EQ(first("\\w+", "!! a_1 "), "a_1");
    EXPECT_EQ(first("\\W+", "ab!?cd"), "!?");
    EXPECT_EQ(first("\\s+", "a \t\r\n\f\vb"), " \t\r\n\f\v");
    EXPECT_EQ(first("\\S+", "  xy "), "xy");
}

TEST(RegexAnchors, LineAnchorsFollowMultiline)
{
    EXPECT_EQ(first("^b", "a\nb"), "<none>");
    EXPECT_EQ(first("^b", "a\nb", multi()), "b");
    EXPECT_EQ(first("^b", "a\rb", multi()), "b");
    EXPECT_EQ(first("a$", "a\nb"), "<none>");
    EXPECT_EQ(first("a$", "a\nb", multi()), "a");
    EXPECT_EQ(first("b$", "ab\n"), "<none>"); // no newline allowance at the very end
    EXPECT_EQ(make("^x").searchAll("x\nx\rx").size(), 1u);
    EXPECT_EQ(make("^x", multi()).searchAll("x\nx\rx").size(), 3u);
}

TEST(RegexAnchors, WordBoundaries)
{
    EXPECT_EQ(groups("\\bcat\\b", "concat cat"), "cat");
    RegexMatch m;
    ASSERT_TRUE(make("\\bcat\\b").search("concat cat", 0, m));
    EXPECT_EQ(m.start(), 7u);
    EXPECT_EQ(first("\\Bcat", "cat concat"), "cat");
    ASSERT_TRUE(make("\\Bcat").search("cat concat", 0, m));
    EXPECT_EQ(m.start(), 7u);
}

TEST(RegexGroups, CapturingAndNonCapturing)
{
    EXPECT_EQ(groups("(\\d+)-(\\d+)", "tel 555-1234"), "555-1234,555,1234");
    EXPECT_EQ(groups("(?:ab)+(c)", "ababc"), "ababc,c");
    EXPECT_EQ(groups("(a)|(b)", "b"), "b,-,b");
    EXPECT_EQ(groups("(a)?b", "b"), "b,-");
    EXPECT_EQ(groups("((a)|b)+", "ab"), "ab,b,-"); // groups reset on each iteration
    EXPECT_EQ(groups("(z)((a+)?(b+)?(c))*", "zaacbbbcac"), "zaacbbbcac,z,ac,a,-,c");
}

TEST(RegexGroups, Backreferences)
{
    EXPECT_EQ(first("(\\w)\\1", "abccd"), "cc");
    EXPECT_EQ(first("<(\\w+)>.*</\\1>", "<b>x</i><i>y</i>"), "<i>y</i>");
    EXPECT_EQ(first("(a)|\\1b", "b"), "b"); // unset group matches empty
    EXPECT_EQ(first("(A)\\1", "aA", icase()), "aA");
    EXPECT_EQ(first("()\\1", std::string_view()), ""); // an empty group on a subject with no bytes
    EXPECT_EQ(first("\\2(a)",
                    "\x02"
                    "a"),
              "\x02"
              "a"); // more than the group count: octal
}

TEST(RegexLookahead, PositiveAndNegative)
{
    EXPECT_EQ(first("foo(?=bar)", "foobaz foobar"), "foo");
    RegexMatch m;
    ASSERT_TRUE(make("foo(?=bar)").search("foobaz foobar", 0, m));
    EXPECT_EQ(m.start(), 7u);
    EXPECT_EQ(first("foo(?!bar)\\w+", "foobar foobaz"), "foobaz");
    EXPECT_EQ(groups("(?=(a+))a*b\\1", "baaabac"), "aba,a");
    EXPECT_EQ(groups("(?!(a))b", "b"), "b,-");
}

TEST(RegexQuantifiers, GreedyAndLazy)
{
    EXPECT_EQ(first("<.+>", "<a><b>"), "<a><b>");
    EXPECT_EQ(first("<.+?>", "<a><b>"), "<a>");
    EXPECT_EQ(first("a{2}", "aaaa"), "aa");
    EXPECT_EQ(first("a{2,}", "aaaa"), "aaaa");
    EXPECT_EQ(first("a{1,3}", "aaaa"), "aaa");
    EXPECT_EQ(first("a{1,3}?", "aaaa"), "a");
    EXPECT_EQ(first("(ab){2,3}", "abababab"), "ababab");
    EXPECT_EQ(first("(ab){2,3}?", "abababab"), "abab");
    EXPECT_EQ(first("x*", "aaa"), "");
    EXPECT_EQ(first("a??b", "ab"), "ab");
    EXPECT_EQ(first("\\d+?0", "1200"), "120");
    EXPECT_EQ(first("[ab]*?c", "ababc"), "ababc");
    EXPECT_EQ(first("a{0}b", "ab"), "b");
}

TEST(RegexQuantifiers, EmptyIterationsTerminate)
{
    EXPECT_EQ(groups("(a*)*b", "aab"), "aab,aa");
    EXPECT_EQ(groups("(a*)+b", "b"), "b,");
    EXPECT_EQ(groups("(a|)*c", "aac"), "aac,a");
    EXPECT_EQ(first("(?:)*x", "x"), "x");
    EXPECT_EQ(first("(\\b)*x", "x"), "x");
}

TEST(RegexAlternation, LeftmostAlternativeWins)
{
    EXPECT_EQ(first("a|ab", "ab"), "a");
    EXPECT_EQ(first("ab|a", "ab"), "ab");
    EXPECT_EQ(first("cat|dog|bird", "a dog and a cat"), "dog");
    EXPECT_EQ(first("|x", "x"), "");
}

TEST(RegexAlternation, ManyBranchesBacktrackInOrder)
{
    // Three or more branches jump by their first byte; order and
    // backtracking into later branches must not change.
    EXPECT_EQ(groups("(fuck|fucking|f\\w+)x", "fuckingx"), "fuckingx,fucking");
    EXPECT_EQ(groups("(ab|a|abc)c", "abc"), "abc,ab");
    EXPECT_EQ(groups("(abc|ab|a)c", "abc"), "abc,ab");
    EXPECT_EQ(first("\\b(hell|hello|shell)\\b", "Shell HELLO", icase()), "Shell");
    EXPECT_EQ(first("\\b(hell|hello|shell)\\b", "shelly HELLO", icase()), "HELLO");
    EXPECT_EQ(first("\\b(ass|bass|pass)\\b", "passage bass"), "bass");
    EXPECT_EQ(first("(x|[0-9]+|y)+", "a12x3yb"), "12x3y");
    EXPECT_EQ(first("(a|b|c)", ""), "<none>");
    EXPECT_EQ(first("(a|b|c|)d", "d"), "d"); // an empty branch
}

TEST(RegexFlags, IgnoreCaseFoldsLiteralsAndClasses)
{
    EXPECT_EQ(first("hello", "Say HeLLo"), "<none>");
    EXPECT_EQ(first("hello", "Say HeLLo", icase()), "HeLLo");
    EXPECT_EQ(first("[a-c]+", "xABCx", icase()), "ABC");
    EXPECT_EQ(first("[^a]+", "Aab", icase()), "b");
    EXPECT_EQ(first("\\bBAD\\b", "so bad!", icase()), "bad");
    EXPECT_EQ(first("caf\xe9", "CAF\xc9", icase()), "CAF\xc9"); // Latin-1 letters fold too
    EXPECT_EQ(first("\xd7", "\xf7", icase()), "<none>"); // but × and ÷ are no pair
    EXPECT_EQ(first("(\xe0)\\1", "\xe0\xc0", icase()), "\xe0\xc0");
}

TEST(RegexSearch, StartPositionAndGlobalWalk)
{
    Regex r = make("\\d+");
    RegexMatch m;
    ASSERT_TRUE(r.search("a1b22c333", 2, m));
    EXPECT_EQ(m.start(), 3u);
    EXPECT_EQ(m.length(), 2u);
    EXPECT_FALSE(r.search("a1", 2, m));
    auto all = r.searchAll("a1b22c333");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].start(), 6u);
    // Empty matches advance one position so the walk ends.
    EXPECT_EQ(make("x*").searchAll("abc").size(), 4u);
    EXPECT_FALSE(make("^a").search("ba", 1, m));
}

TEST(RegexReplace, TemplatesAndGlobal)
{
    Regex r = make("(\\w+)@(\\w+)");
    EXPECT_EQ(r.replace("me@host you@there", "$2 at $1", false), "host at me you@there");
    EXPECT_EQ(r.replace("me@host you@there", "$2 at $1", true), "host at me there at you");
    EXPECT_EQ(r.replace("a@b", "[$&|$`|$'|$$|$0|$3|$]", true), "[a@b|||$|$0|$3|$]");
    EXPECT_EQ(make("b").replace("abc", "<$`|$'>", true), "a<a|c>c");
    EXPECT_EQ(make("(a)(b)?").replace("ab a", "[$2|$1]", true), "[b|a] [|a]");
    EXPECT_EQ(make("x*").replace("abc", "-", true), "-a-b-c-");
    EXPECT_EQ(make("o").replace("foo", "0", false), "f0o");
}

TEST(RegexReplace, TwoDigitGroupsWhenTheyExist)
{
    std::string pattern;
    for (int i = 0; i < 11; ++i)
        pattern += "(.)";
    Regex r = make(pattern);
    EXPECT_EQ(r.replace("abcdefghijk", "$11$10$1", false), "kja");
    EXPECT_EQ(make("(a)").replace("a", "$10", false), "a0");
}

TEST(RegexLongSubjects, NoRecursionOnLongInput)
{
    std::string big(2'000'000, 'a');
    big += 'b';
    EXPECT_EQ(first("a*b", big).size(), big.size());
    EXPECT_EQ(first("(?:a|c)*b", big).size(), big.size());
    EXPECT_EQ(first("(a)*b", big).size(), big.size());
    EXPECT_EQ(first("a*?b", big).size(), big.size());
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
    Regex runaway = make("(a+)+b");
    std::string subject(40, 'a'); // 2^40 ways to fail
    EXPECT_THROW(runaway.test(subject), Abandoned);
    EXPECT_EQ(calls, 3);
    // The thread's matcher is usable again afterwards.
    EXPECT_EQ(first("(a+)+b", "aab"), "aab");
    ravelin::vbs::setRegexInterrupt(previous);
}
