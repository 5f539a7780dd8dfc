// The cvars tab against a real console host running q3sim, as the 1.32
// engine and as the ioq3 engine writes its configuration, and a server
// that never writes the file.
#include "HostedMainWindow.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct CvarsAgainstHostTest : HostedMainWindowTest {
    QTreeWidget* table() { return window->findChild<QTreeWidget*>("lvCVars"); }
};

// How each engine form is started, the dump command the window chooses for
// it and where that writes (under the application folder).
struct EngineForm {
    const char* name;
    std::vector<std::string> options;
    const char* command;
    const char* file;
};

struct CvarsOnEngineTest : CvarsAgainstHostTest, testing::WithParamInterface<EngineForm> {};

} // namespace

TEST_P(CvarsOnEngineTest, ClickingTheTabFillsTheTable)
{
    std::vector<std::string> arguments = GetParam().options;
    arguments.insert(arguments.end(),
                     {"+set", "sv_hostname", "Cvar Arena", "+set", "net_port", "0", "+set", "fs_basepath",
                      appFolder.path().string(), "+set", "fs_homepath", (appFolder.path() / "home").string()});
    startServerAndWindow(arguments);
    const std::filesystem::path file = appFolder.path() / GetParam().file;
    EXPECT_EQ(window->session().cvars().dumpTarget().command, GetParam().command) << serverOutput();
    EXPECT_EQ(window->session().cvars().dumpTarget().file, file);
    QTest::mouseClick(window->imgTab(kCvarsTab), Qt::LeftButton);
    ASSERT_TRUE(waitForQt([&] { return table()->topLevelItemCount() > 200; })) << serverOutput();
    const auto found = table()->findItems("sv_hostname", Qt::MatchExactly, 0);
    ASSERT_FALSE(found.isEmpty());
    EXPECT_EQ(found.first()->text(1), "Cvar Arena");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(serverOutput().find("refusing"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Engines, CvarsOnEngineTest,
                         testing::Values(EngineForm{"Quake3", {}, "WRITECONFIG ..\\ravelin_tmp.cfg", "ravelin_tmp.cfg"},
                                         EngineForm{"Ioq3",
                                                    {"--ioq3-writeconfig"},
                                                    "WRITECONFIG ravelin_tmp.cfg",
                                                    "home/baseq3/ravelin_tmp.cfg"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CvarsAgainstHostTest, AServerThatCannotWriteTheFileIsListedFromCvarlist)
{
    // A base folder the server cannot create: every writeconfig fails, and
    // the table comes from cvarlist, every cvar with its flags.
    const std::string unwritable = "/proc/ravelin-no-such-folder";
    startServerAndWindow({"+set", "net_port", "0", "+set", "fs_basepath", unwritable});
    window->session().cvars().setDumpLimit(std::chrono::milliseconds(1500));
    QTest::mouseClick(window->imgTab(kCvarsTab), Qt::LeftButton);
    ASSERT_TRUE(waitForQt([&] { return table()->topLevelItemCount() > 200; })) << serverOutput();
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_FALSE(window->session().cvars().dumpRunning());
    auto found = table()->findItems("fs_basepath", Qt::MatchExactly, 0);
    ASSERT_FALSE(found.isEmpty());
    EXPECT_EQ(found.first()->text(1).toStdString(), unwritable);
    EXPECT_FALSE(found.first()->text(2).isEmpty());
    EXPECT_EQ(serverOutput().find("total cvars"), std::string::npos) << "the list reached the window";
}
