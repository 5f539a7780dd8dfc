// The registry file, the game folder lookup, the Gatehop installer and the
// shim's decisions.
#include "launcher/GameRegistry.h"
#include "launcher/GatehopInstaller.h"
#include "launcher/gatehop/GatehopShim.h"
#include "platform/linux/IniRegistry.h"
#include "platform/sim/SimServices.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace fs = std::filesystem;
using namespace ravelin;

namespace {

using test::readFile;
using test::writeFile;

struct RegistryTest : testing::Test {
    test::TempDir dir;
    fs::path file = dir.path() / "registry.ini";
    IniRegistry registry{file};

    RegistryValue read(const std::string& key, const std::string& name)
    {
        return ReadRegistryValue(registry, RegistryRoot::LocalMachine, key, name);
    }
};

TEST_F(RegistryTest, TypedValuesByKeyInAnyCaseAndQueryStatusCodes)
{
    writeFile(file,
              "; the game's entries\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ID\\Quake III Arena]\r\n"
              "INSTALLPATH=\"/games/quake3\"\r\n"
              "bare = /games/with blanks \n"
              "Players=dword:0000001e\n"
              "Minus=dword:ffffffff\n"
              "Blob=hex:01,02\n"
              "Multi=hex(7):41,00\n"
              "Broken=dword:xyz\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\ID\\QUAKE III ARENA]\n"
              "Other=\"user\"\n");
    EXPECT_EQ(read(kGameKey, "installpath"), RegistryValue(std::string("/games/quake3")));
    EXPECT_EQ(read(kGameKey, "BARE"), RegistryValue(std::string("/games/with blanks")));
    EXPECT_EQ(read(kGameKey, "Players"), RegistryValue(std::int32_t(30)));
    EXPECT_EQ(read(kGameKey, "Minus"), RegistryValue(std::int32_t(-1)));
    EXPECT_EQ(read(kGameKey, "Blob"), RegistryValue());
    EXPECT_EQ(read(kGameKey, "Broken"), RegistryValue());
    EXPECT_EQ(read(kGameKey, "Other"), RegistryValue()); // another root's key
    EXPECT_EQ(read("SOFTWARE\\ID\\QUAKE3", "INSTALLPATH"), RegistryValue());

    // The status codes of a query on an open key.
    writeFile(file, "[HKEY_LOCAL_MACHINE\\K]\nText=a\nNumber=dword:00000004\nBlob=hex:01\nMulti=hex(7):41,00\n");
    RegistryKey key = 0;
    ASSERT_EQ(registry.openKey(RegistryRoot::LocalMachine, "k", key), ERROR_SUCCESS);
    RegistryValue value = std::string("untouched");
    EXPECT_EQ(QueryRegistryValue(registry, key, "Missing", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(QueryRegistryValue(registry, key, "Blob", value), -1);
    EXPECT_EQ(QueryRegistryValue(registry, key, "Multi", value), -1);
    EXPECT_EQ(value, RegistryValue(std::string("untouched")));
    EXPECT_EQ(QueryRegistryValue(registry, key, "Number", value), ERROR_SUCCESS);
    EXPECT_EQ(value, RegistryValue(std::int32_t(4)));
    EXPECT_EQ(QueryRegistryValue(registry, key, "Text", value), ERROR_SUCCESS);
    EXPECT_EQ(value, RegistryValue(std::string("a")));
    EXPECT_EQ(registry.closeKey(key), ERROR_SUCCESS);
    EXPECT_EQ(QueryRegistryValue(registry, 0, "Text", value), ERROR_INVALID_HANDLE);

    RegistryKey none = 7;
    EXPECT_EQ(registry.openKey(RegistryRoot::LocalMachine, "Absent", none), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(none, 0);
    fs::remove(file);
    EXPECT_EQ(ReadRegistryValue(registry, RegistryRoot::LocalMachine, "K", "Text"), RegistryValue());
}

TEST_F(RegistryTest, GameFolderFromTheRegistryElseTheFirstUsualFolder)
{
    const std::vector<fs::path> usual{dir.path() / "a", dir.path() / "b", dir.path() / "c"};
    fs::create_directories(usual[1]);
    fs::create_directories(usual[2]);
    auto isFolder = [](const fs::path& p) { return fs::is_directory(p); };
    EXPECT_EQ(GetGameInstallPath(registry, usual, isFolder), usual[1].string());
    writeFile(file, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ID\\QUAKE III ARENA]\nINSTALLPATH=dword:00000010\n");
    EXPECT_EQ(GetGameInstallPath(registry, usual, isFolder), "16");
    writeFile(file, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ID\\QUAKE III ARENA]\nINSTALLPATH=/srv/q3\n");
    EXPECT_EQ(GetGameInstallPath(registry, usual, isFolder), "/srv/q3");
    EXPECT_EQ(GetGameInstallPath(registry, {}, isFolder), "/srv/q3");
    fs::remove(file);
    EXPECT_EQ(GetGameInstallPath(registry, {dir.path() / "none"}, isFolder), "");
}

struct InstallerTest : RegistryTest {
    sim::ScriptedDialogs dialogs;
    fs::path shim = dir.path() / "app" / "gatehop";
    fs::path game = dir.path() / "game";
    GatehopInstaller installer{dialogs, registry, {dir.path() / "missing" / "gatehop", shim}, {game}};

    void SetUp() override
    {
        writeFile(shim, "#!/bin/sh\necho shim\n");
        fs::permissions(shim, fs::perms::owner_read | fs::perms::owner_write);
        fs::create_directories(game);
    }
};

TEST_F(InstallerTest, CopiesTheShimExecutableAndTellsHowToUseIt)
{
    writeFile(game / "Gatehop", "old");
    dialogs.queuePrompt(game.string());
    EXPECT_EQ(installer.Install(), game / "Gatehop");
    ASSERT_EQ(dialogs.asked().size(), 2u);
    const auto& [prompt, told] = std::tie(dialogs.asked()[0], dialogs.asked()[1]);
    EXPECT_EQ(std::tuple(prompt.text, prompt.title, prompt.defaultText),
              std::tuple("Enter your Quake III: Arena directory below:", "Installing Gatehop", game.string()));
    EXPECT_EQ(std::tuple(told.text, told.title), std::tuple(GatehopInstaller::instructions(), "Quake 3: Ravelin"));
    EXPECT_EQ(readFile(game / "Gatehop"), readFile(shim));
    const auto exec = fs::perms::owner_exec | fs::perms::others_exec;
    EXPECT_EQ(fs::status(game / "Gatehop").permissions() & exec, exec);

    const std::string text = GatehopInstaller::instructions();
    EXPECT_EQ(text.find("Now you must setup your server launcher to point to Gatehop"), 0u);
    EXPECT_NE(text.find("\r\n\r\nIf your server launcher"), std::string::npos);
    EXPECT_NE(text.find(" \\\\HKEY_LOCAL_MACHINE\\SOFTWARE\\ID\\QUAKE3\\INSTALLEXEPATH"), std::string::npos);
    EXPECT_NE(text.find("\r\n\r\nAfter that, when you start a new server"), std::string::npos);
}

// The prompt proposes the registry's folder, a number in decimal.
TEST_F(InstallerTest, CancelOrEmptyAnswerDoesNothing)
{
    writeFile(file, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ID\\QUAKE III ARENA]\nINSTALLPATH=dword:0000002a\n");
    for (std::optional<std::string> answer : {std::optional<std::string>(), std::optional<std::string>("")}) {
        dialogs.clear();
        dialogs.queuePrompt(answer);
        EXPECT_EQ(installer.Install(), fs::path());
        ASSERT_EQ(dialogs.asked().size(), 1u);
        EXPECT_EQ(dialogs.asked()[0].defaultText, "42");
        EXPECT_FALSE(fs::exists(game / "Gatehop"));
    }
}

TEST_F(InstallerTest, AFailedCopyIsReportedInsteadOfTheInstructions)
{
    dialogs.queuePrompt((dir.path() / "no such folder").string());
    EXPECT_EQ(installer.Install(), fs::path());
    ASSERT_EQ(dialogs.asked().size(), 2u);
    EXPECT_EQ(dialogs.asked()[1].text.rfind("Gatehop could not be copied to ", 0), 0u) << dialogs.asked()[1].text;
    EXPECT_EQ(dialogs.asked()[1].icon, Dialogs::Icon::Critical);

    fs::remove(shim);
    dialogs.clear();
    dialogs.queuePrompt(game.string());
    EXPECT_EQ(installer.Install(), fs::path());
    EXPECT_NE(dialogs.asked()[1].text.find("missing"), std::string::npos);
}

TEST(GatehopShimTest, FindsTheRealServer)
{
    std::set<fs::path> programs;
    auto exists = [&](const fs::path& p) { return programs.count(p) > 0; };
    const fs::path self = "/g/ioq3ded";
    EXPECT_EQ(gatehop::findRealServer(self, "", exists), fs::path());

    programs = {"/g/ioq3ded", "/g/oa_ded"};
    EXPECT_EQ(gatehop::findRealServer(self, "", exists), fs::path("/g/oa_ded")); // never itself
    programs.insert("/g/ioq3dedb");
    EXPECT_EQ(gatehop::findRealServer(self, "", exists), fs::path("/g/ioq3dedb"));
    programs.insert("/srv/real");
    EXPECT_EQ(gatehop::findRealServer(self, "/srv/real", exists), fs::path("/srv/real"));
    EXPECT_EQ(gatehop::findRealServer(self, "/g/ioq3ded", exists), fs::path("/g/ioq3dedb"));
    EXPECT_EQ(gatehop::findRealServer("/g/Gatehop", "/srv/gone", exists), fs::path("/g/ioq3ded"));
}

TEST(GatehopShimTest, FindsRavelinsProgramsAndPassesTheServerArgumentsUnchanged)
{
    std::set<fs::path> programs{"/opt/r/bin/ravelin", "/usr/bin/ravelin", "/usr/bin/ravelin-console"};
    auto exists = [&](const fs::path& p) { return programs.count(p) > 0; };
    EXPECT_EQ(gatehop::findProgram("ravelin", "/opt/r/bin", "/usr/local/bin:/usr/bin", exists),
              fs::path("/opt/r/bin/ravelin"));
    EXPECT_EQ(gatehop::findProgram("ravelin-console", "/opt/r/bin", "/usr/local/bin::/usr/bin", exists),
              fs::path("/usr/bin/ravelin-console"));
    EXPECT_EQ(gatehop::findProgram("q3sim", "", "/usr/bin", exists), fs::path());

    EXPECT_EQ(gatehop::recordedProgram("[General]\nx=1\n[Settings]\nAPPPath=/opt/r\nEXEPath=/opt/r/bin/ravelin\n"),
              "/opt/r/bin/ravelin");
    EXPECT_EQ(gatehop::recordedProgram("[Launch]\nEXEPath=/wrong\n"), "");

    // The commands it runs: the server's arguments pass unchanged.
    const std::vector<std::string> args{"+set", "sv_hostname", "My \"Arena\"", "--", "+map", "q3dm17", ""};
    std::vector<std::string> expected{"/usr/bin/ravelin-console", "--", "/g/ioq3dedb"};
    expected.insert(expected.end(), args.begin(), args.end());
    EXPECT_EQ(gatehop::consoleCommand("/usr/bin/ravelin-console", "/g/ioq3dedb", args), expected);
    EXPECT_EQ(gatehop::ravelinCommand("/usr/bin/ravelin", 4242),
              (std::vector<std::string>{"/usr/bin/ravelin", "--console", "4242"}));
}

} // namespace
