// The config editor's logic: colouring and commands of a line, the lint's
// findings, lossless round trips, the path guard, and the exec report tied
// back to the file.
#include "config/ConfigDocument.h"
#include "config/ConfigFiles.h"
#include "config/ConfigLint.h"
#include "config/ConfigSyntax.h"
#include "config/ExecReport.h"
#include "platform/Text.h"
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace ravelin;
using ravelin::test::readFile;
using ravelin::test::writeFile;
namespace fs = std::filesystem;

namespace {

// A line's colours, one letter per byte: / comment, K engine command,
// C other first word, V cvar name, Q quoted, W word, ; separator.
std::string paint(std::string_view line, bool inBlock = false)
{
    std::string out(line.size(), ' ');
    for (const ConfigSpan& span : tokenizeConfigLine(line, inBlock).spans)
        out.replace(span.start, span.length, span.length, "/KCVQW;"[static_cast<int>(span.kind)]);
    return out;
}

} // namespace

TEST(ConfigSyntax, ColoursEachPartOfALineSplitsCommandsAndCarriesBlockComments)
{
    const struct {
        const char *line, *colours;
    } cases[] = {
        {"seta sv_hostname \"My Arena\" // name", "KKKK VVVVVVVVVVV QQQQQQQQQQ ///////"},
        {"g_gametype 4;map oa_ctf4", "CCCCCCCCCC W;KKK WWWWWWW"},
        {"set d1 \"map q3dm1; vstr d2\"", "KKK VV QQQQQQQQQQQQQQQQQQQQ"},
        {"set url http://x", "KKK VVV WWWWW///"},
        {"say /* hi */ there", "KKK //////// WWWWW"},
        {"echo \"open ; quit", "KKKK QQQQQQQQQQQQ"},
        {"  quit ", "  KKKK "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(paint(c.line), c.colours) << c.line;
    EXPECT_EQ(paint("still */ set a 1", true), "//////// KKK V W");
    // Commands are split, block comments carried to the next lines.
    const auto lines = tokenizeConfigLines({"set a \"x;y\"; exec b // c; d", "/* open", "set hidden 1", "*/ echo z"});
    ASSERT_EQ(lines[0].commands.size(), 2u);
    EXPECT_EQ(lines[0].commands[0].words, (std::vector<std::string>{"set", "a", "x;y"}));
    EXPECT_EQ(lines[0].commands[1].words, (std::vector<std::string>{"exec", "b"}));
    EXPECT_TRUE(lines[0].semicolonInComment);
    EXPECT_TRUE(lines[1].blockCommentOpen);
    EXPECT_TRUE(lines[2].commands.empty());
    EXPECT_EQ(lines[3].commands.at(0).words.front(), "echo");
    EXPECT_TRUE(tokenizeConfigLine("say \"a").unbalancedQuote);
}

TEST(ConfigLint, FindsEachProblemOnItsLine)
{
    ServerKnowledge server;
    server.addCvarList({"S    AL   sv_maxclients \"8\"", "S    A    sv_hostname \"x\"", "S U   L   g_gametype \"0\"",
                        "286 total cvars", "say: Bob: a \"quoted\" thing"});
    server.addCmdList({"map", "exec", "59 commands"});
    const std::vector<std::string> file = {
        "sv_hostname \"Arena\"",
        "sv_maxclients 16",
        "set g_gametpye 4",
        "set d1 \"map q3dm1\" ; vstr d1",
        "banana 3",
        "seta g_gametype 4 // latched",
        "say \"unclosed ; quit",
        "killserver",
        "/* a comment; that runs on",
        "*/ say \"" + std::string(1100, 'x') + "\"",
    };
    const LintOptions options{kExecBuffer132, 100, false};
    std::vector<std::pair<int, LintKind>> found;
    for (const LintFinding& f : lintConfig(file, tokenizeConfigLines(file), server, options))
        found.emplace_back(f.line, f.kind);
    const std::vector<std::pair<int, LintKind>> expected = {
        {1, LintKind::LatchedCvar},
        {2, LintKind::UnknownCvar},
        {4, LintKind::UnknownCommand},
        {5, LintKind::LatchedCvar},
        {6, LintKind::UnbalancedQuote},
        {7, LintKind::StopsServer},
        {8, LintKind::BlockCommentSpansLines},
        {9, LintKind::LineTooLong},
    };
    EXPECT_EQ(found, expected);
    EXPECT_EQ(server.cvar("SV_HOSTNAME")->name, "sv_hostname");
    EXPECT_EQ(server.cvar("say:"), nullptr);
}

TEST(ConfigLint, FileOverTheExecBufferIsFlaggedWhereItStopsFitting)
{
    const std::vector<std::string> file(200, std::string(99, 'x'));
    LintOptions options{kExecBuffer132, 200 * 100};
    const auto findings = lintConfig(file, tokenizeConfigLines(file), ServerKnowledge{}, options);
    ASSERT_FALSE(findings.empty());
    // 164 lines of 100 bytes and one more pass 16,384.
    EXPECT_EQ(std::tie(findings[0].kind, findings[0].line), std::make_tuple(LintKind::FileTooBig, 163));
    options.fileBytes = kExecBuffer132 - 1;
    EXPECT_TRUE(lintConfig(file, tokenizeConfigLines(file), ServerKnowledge{}, options).empty());
    // Without the server's lists no name is called unknown.
    EXPECT_TRUE(lintConfig({"banana 1"}, tokenizeConfigLines({"banana 1"}), ServerKnowledge{}, {}).empty());
}

TEST(ConfigDocument, UneditedFilesSaveByteForByteAndAnEditChangesOnlyItsOwnLines)
{
    std::vector<std::string> files = {
        readFile(test::sourceDir() / "tests/config/data/openarena-0.8.8-writeconfig.cfg"),
        readFile(test::sourceDir() / "fuzz/corpus/config_syntax/debian-server.cfg"),
        "seta a \"1\"\r\nseta b \"2\"\r\n",
        "set a 1\nset b 2\r\nset c 3\rset d 4",
        "say \"caf\xe9 \xff\x80\"  \t\n\n\n  \n",
        "",
        "\n",
        "no final line end   ",
    };
    for (const std::string& bytes : files) {
        const ConfigDocument document(bytes);
        EXPECT_EQ(document.bytesFor(document.lines()), bytes);
        std::string joined;
        for (std::size_t i = 0; i < document.lines().size(); ++i)
            joined += (i ? "\n" : "") + document.lines()[i];
        EXPECT_EQ(document.bytesFor(splitLines(joined)), bytes);
    }
    // An edit changes only its own lines.
    const ConfigDocument document("a  \r\nb\nc\r\nd");
    EXPECT_EQ(document.bytesFor({"a  ", "B", "c", "d"}), "a  \r\nB\r\nc\r\nd");
    EXPECT_EQ(document.bytesFor({"a  ", "b", "new", "c", "d"}), "a  \r\nb\nnew\r\nc\r\nd");
    EXPECT_EQ(document.bytesFor({"a  ", "c", "d"}), "a  \r\nc\r\nd");
    EXPECT_EQ(document.bytesFor({"a  ", "b", "c", "d", "e"}), "a  \r\nb\nc\r\nd\r\ne");
    EXPECT_EQ(ConfigDocument("x\n").bytesFor({"x", "y"}), "x\ny\n");
    // A lone CR brought next to an empty LF line must not fuse with it.
    const ConfigDocument crs("a\rb\n\n");
    EXPECT_EQ(ConfigDocument(crs.bytesFor({"a", ""})).lines(), (std::vector<std::string>{"a", ""}));
}

struct ConfigFilesTest : ::testing::Test {
    ConfigFilesTest()
    {
        home = dir.path() / "home" / "baseoa";
        base = dir.path() / "base" / "baseoa";
        writeFile(home / "server.cfg", "sv_hostname home\n");
        writeFile(base / "server.cfg", "sv_hostname base\n");
        writeFile(base / "ctf.cfg", "g_gametype 4\n");
        writeFile(base / "ravelin_tmp.cfg", "dump\n");
        writeFile(base / "notes.txt", "x\n");
        writeFile(dir.path() / "outside.cfg", "quit\n");
        fs::create_symlink(dir.path() / "outside.cfg", base / "linked.cfg");
        fs::create_symlink(base / "ctf.cfg", home / "alias.cfg");
        folders =
            ServerFolders{(dir.path() / "base").string(), (dir.path() / "home").string(), "", "baseoa"}.searchFolders();
    }

    test::TempDir dir;
    fs::path home;
    fs::path base;
    std::vector<fs::path> folders;
};

TEST_F(ConfigFilesTest, ListsHomeBeforeBaseAndMarksTheStartupFile)
{
    const auto files = listConfigFiles(folders, startupExec({"ioq3ded", "+set", "x", "1", "+exec", "server"}));
    std::vector<std::string> names;
    for (const auto& f : files)
        names.push_back(f.name + (f.startup ? "*" : "") + (f.refused.empty() ? "" : "!"));
    EXPECT_EQ(names, (std::vector<std::string>{"alias.cfg", "server.cfg*", "ctf.cfg", "linked.cfg!"}));
    EXPECT_EQ(files[1].path, home / "server.cfg");
}

TEST_F(ConfigFilesTest, RefusesPathsOutsideTheFolders)
{
    std::string reason;
    for (const fs::path& path : {base / ".." / "outside.cfg", fs::path("../outside.cfg"), base / "linked.cfg",
                                 dir.path() / "outside.cfg", base / "notes.txt", base / "missing.cfg"}) {
        EXPECT_FALSE(guardConfigPath(folders, path, reason)) << path;
        EXPECT_FALSE(reason.empty()) << path;
    }
    EXPECT_EQ(guardConfigPath(folders, "ctf.cfg", reason), fs::canonical(base / "ctf.cfg"));
    EXPECT_EQ(guardConfigPath(folders, home / "alias.cfg", reason), fs::canonical(base / "ctf.cfg"));
}

// Saving with a backup, and refusing a file changed on disk: the page's test
// (ConfigEditorPageTest) makes those checks through the page.

TEST(ExecReport, TiesUnknownCommandsAndRefusalsToTheirLines)
{
    const auto syntax = tokenizeConfigLines({"// x", "banana 1", "sv_hostname a", "set version 2; banana 2"});
    const auto report = readExecOutput({"execing x.cfg", "Unknown command \"banana\"", "unknown command: banana",
                                        "version is read only.", "broadcast: print \"server: kiwi 1\\n\""},
                                       syntax);
    std::vector<std::string> seen;
    for (const ExecOutputLine& l : report)
        seen.push_back(std::to_string(static_cast<int>(l.kind)) + " " + l.name + " " + std::to_string(l.fileLine));
    EXPECT_EQ(seen, (std::vector<std::string>{"0  -1", "1 banana 1", "1 banana 3", "2 version 3", "1 kiwi -1"}));
}
