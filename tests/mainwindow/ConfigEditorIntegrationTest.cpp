// The editor page on q3sim in a console host, in both its engine forms:
// server.cfg edited, saved and exec'd renames the server, and the unknown
// command is reported with its line.
#include "ConfigEditorFixture.h"

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct EngineForms {
    const char* name;
    std::vector<std::string> options;
    const char* unknownReport;
};

struct ConfigEditorIntegrationTest : ConfigEditorFixture, testing::WithParamInterface<EngineForms> {
    TempDir base{"ravelin-q3base"};
};

} // namespace

TEST_P(ConfigEditorIntegrationTest, AnEditedServerCfgRenamesTheServerAndItsUnknownCommandIsTiedToItsLine)
{
    const std::filesystem::path file = base.path() / "baseq3" / "server.cfg";
    writeFile(file, original);
    std::vector<std::string> arguments = GetParam().options;
    arguments.insert(arguments.end(),
                     {"+set", "net_port", "0", "+set", "fs_basepath", base.path().string(), "+exec", "server.cfg"});
    startServerAndWindow(arguments);
    ASSERT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Before");

    openServerCfg();
    editAndSave(file, "Edited Arena");
    execAndFindTheUnknownCommand(GetParam().unknownReport);
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "sv_hostname"), "Edited Arena");
    EXPECT_TRUE(dialogs.asked().empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, ConfigEditorIntegrationTest,
                         testing::Values(EngineForms{"Quake3", {}, "Unknown command \"banana\""},
                                         EngineForms{
                                             "Ioq3", {"--ioq3", "--ioq3-writeconfig"}, "unknown command: banana"}),
                         [](const auto& info) { return std::string(info.param.name); });
