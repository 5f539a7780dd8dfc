// The scripts shipped in the default application folder, loaded as the
// program loads them and fed console lines in q3sim's formats.
#include "ScriptingFixture.h"

using namespace ravelin;
using namespace ravelin::test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

struct ShippedScriptsTest : ScriptingTest {
    ShippedScriptsTest()
    {
        std::filesystem::copy(sourceDir() / "assets" / "Scripts", app.path() / "Scripts",
                              std::filesystem::copy_options::recursive
                                  | std::filesystem::copy_options::overwrite_existing);
        host.InitScripts();
    }

    // Feeds one console line the way the pump dispatches it.
    void line(const std::string& text)
    {
        std::string data;
        std::string proc = ConsolePump::procedureFor(text, &data);
        if (proc.empty() || !host.hasConsoleProc(proc))
            return;
        auto result = host.runConsoleProc(proc, data);
        EXPECT_FALSE(result.failed) << text << ": [" << result.number << "] " << result.description;
    }
};

} // namespace

TEST_F(ShippedScriptsTest, LoadCleanlyAndListTheConsoleProcedures)
{
    EXPECT_TRUE(view.debug.empty()) << view.debug.front();
    EXPECT_THAT(view.consoleProcs,
                testing::IsSupersetOf({"Q3ARVL_ClientConnect", "Q3ARVL_ClientBegin", "Q3ARVL_say", "Q3ARVL_Kill"}));
}

TEST_F(ShippedScriptsTest, GreetsAJoiningPlayerOnceByName)
{
    line("ClientConnect: 3");
    line("ClientUserinfoChanged: 3 n\\^1Red^7Guy\\t\\0\\model\\sarge\\hmodel\\sarge");
    line("ClientBegin: 3");
    line("ClientBegin: 3"); // a map restart begins the player again
    ASSERT_EQ(operations.sent.size(), 1u);
    EXPECT_EQ(operations.sent[0], "say \"Welcome to the arena, ^1Red^7Guy^7! Play fair and have fun.\"");
}

TEST_F(ShippedScriptsTest, KeepsAChatLogWithoutColourCodes)
{
    line("say: ^2Bob: hello ^3there");
    line("say: Two Words: gg: well played");
    std::string log = readFile(app.path() / "logs" / "chat.log");
    EXPECT_THAT(log, HasSubstr("  Bob: hello there\r\n"));
    EXPECT_THAT(log, HasSubstr("  Two Words: gg: well played\r\n"));
    EXPECT_TRUE(operations.sent.empty()); // the filter is off until the window publishes a level
}

TEST_F(ShippedScriptsTest, CountsFragsAndAnnouncesEveryFifth)
{
    for (int i = 0; i < 5; ++i)
        line("Kill: 0 1 10: Bob killed Two Words by MOD_RAILGUN");
    line("Kill: 1022 1 22: <world> killed Bob by MOD_FALLING");
    line("Kill: 1 1 20: Two Words killed Two Words by MOD_SUICIDE");
    EXPECT_THAT(operations.sent, ElementsAre("say \"Bob^7 has 5 frags!\""));
}

TEST_F(ShippedScriptsTest, LanguageFilterWarnsByLevel)
{
    line("say: Bob: what the hell");
    EXPECT_TRUE(operations.sent.empty());

    ASSERT_TRUE(engine.executeStatement("CHAT_FILTER_MODE = 0"));
    line("say: Bob: what the hell"); // Biblical word, Mild level
    line("say: Bob: shell games"); // whole words only
    EXPECT_TRUE(operations.sent.empty());
    line("say: ^1Bob: oh SHIT");
    ASSERT_EQ(operations.sent.size(), 1u);
    EXPECT_EQ(operations.sent[0], "say \"^3Watch your language, Bob^3! (warning 1)\"");

    ASSERT_TRUE(engine.executeStatement("CHAT_FILTER_MODE = 2"));
    line("say: Bob: what the hell");
    ASSERT_EQ(operations.sent.size(), 2u);
    EXPECT_EQ(operations.sent[1], "say \"^3Watch your language, Bob^3! (warning 2)\"");
}
