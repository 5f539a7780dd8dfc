#include "platform/AppFolder.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace fs = std::filesystem;
using ravelin::AppFolder;
using ravelin::test::readFile;
using ravelin::test::TempDir;
using ravelin::test::writeFile;

namespace {

// Sets or unsets an environment variable for the length of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// A program folder holding the shipped pictures but no Scripts folder; no
// RAVELIN_HOME, and a data folder of the test's own.
struct AppFolderTest : testing::Test {
    TempDir program{"ravelin-program"};
    TempDir data{"ravelin-data"};
    ScopedEnv home{"RAVELIN_HOME", nullptr};
    ScopedEnv xdg{"XDG_DATA_HOME", data.path().c_str()};

    void SetUp() override { writeFile(program.path() / "img" / "tab_console_on.gif", "picture"); }
};

} // namespace

TEST_F(AppFolderTest, RavelinHomeWinsWhenSetAndIsSeededOnlyWhenEmpty)
{
    TempDir home{"ravelin-home"};
    ScopedEnv env("RAVELIN_HOME", home.path().c_str());
    writeFile(program.path() / "Scripts" / "InitScripts.txt", "Console.q3s\n");
    EXPECT_EQ(AppFolder::resolve(program.path()), home.path());
    EXPECT_EQ(readFile(home.path() / "Scripts" / "InitScripts.txt"), "Console.q3s\n");
    EXPECT_EQ(readFile(home.path() / "img" / "tab_console_on.gif"), "picture");

    TempDir own{"ravelin-own"};
    ScopedEnv ownEnv("RAVELIN_HOME", own.path().c_str());
    writeFile(own.path() / "presets" / "mine.txt", "x");
    EXPECT_EQ(AppFolder::resolve(program.path()), own.path());
    EXPECT_FALSE(fs::exists(own.path() / "Scripts"));
}

TEST_F(AppFolderTest, ProgramFolderWithScriptsIsUsedInPlaceOtherwiseTheDataFolderIsMadeAndSeeded)
{
    fs::create_directories(program.path() / "Scripts");
    EXPECT_EQ(AppFolder::resolve(program.path()), program.path());
    EXPECT_FALSE(fs::exists(data.path() / "ravelin"));
    fs::remove(program.path() / "Scripts");
    EXPECT_EQ(AppFolder::resolve(program.path()), data.path() / "ravelin");
    EXPECT_EQ(readFile(data.path() / "ravelin" / "img" / "tab_console_on.gif"), "picture");
}

TEST_F(AppFolderTest, SeedingNeverTouchesWhatTheOperatorHas)
{
    writeFile(program.path() / "share" / "ravelin" / "Scripts" / "InitScripts.txt", "Console.q3s\n");
    fs::path folder = data.path() / "ravelin";
    writeFile(folder / "img" / "mine.gif", "operator's own");

    fs::path resolved = AppFolder::resolve(program.path() / "bin");
    EXPECT_EQ(resolved, folder);
    // img/ exists, so it is left as the operator has it.
    EXPECT_FALSE(fs::exists(folder / "img" / "tab_console_on.gif"));
    EXPECT_EQ(readFile(folder / "img" / "mine.gif"), "operator's own");
    // Scripts/ was missing: taken from the installed share folder.
    EXPECT_EQ(readFile(folder / "Scripts" / "InitScripts.txt"), "Console.q3s\n");

    // A script the operator deleted stays deleted on the next start.
    fs::remove(folder / "Scripts" / "InitScripts.txt");
    AppFolder::resolve(program.path() / "bin");
    EXPECT_FALSE(fs::exists(folder / "Scripts" / "InitScripts.txt"));
}
