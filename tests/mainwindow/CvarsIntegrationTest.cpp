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

    QString valueOf(const QString& key)
    {
        auto found = table()->findItems(key, Qt::MatchExactly, 0);
        return found.isEmpty() ? QString() : found.first()->text(1);
    }

    void fillsOnClick(const std::filesystem::path& expectedFile)
    {
        EXPECT_EQ(window->session().cvars().dumpTarget().file, expectedFile);
        QTest::mouseClick(window->imgTab(kCvarsTab), Qt::LeftButton);
        ASSERT_TRUE(waitForQt([&] { return table()->topLevelItemCount() > 200; })) << serverOutput();
        EXPECT_EQ(valueOf("sv_hostname"), "Cvar Arena");
        EXPECT_FALSE(std::filesystem::exists(expectedFile));
        EXPECT_TRUE(dialogs.asked().empty());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
};

} // namespace

TEST_F(CvarsAgainstHostTest, ClickingTheTabFillsTheTableOnTheQuake3Engine)
{
    startServerAndWindow({"+set", "sv_hostname", "Cvar Arena", "+set", "net_port", "0", "+set", "fs_basepath",
                          appFolder.path().string()});
    EXPECT_EQ(window->session().cvars().dumpTarget().command, "WRITECONFIG ..\\ravelin_tmp.cfg");
    fillsOnClick(appFolder.path() / "ravelin_tmp.cfg");
}

TEST_F(CvarsAgainstHostTest, ClickingTheTabFillsTheTableOnTheIoq3Engine)
{
    const std::filesystem::path home = appFolder.path() / "home";
    startServerAndWindow({"--ioq3-writeconfig", "+set", "sv_hostname", "Cvar Arena", "+set", "net_port", "0", "+set",
                          "fs_basepath", appFolder.path().string(), "+set", "fs_homepath", home.string()});
    EXPECT_EQ(window->session().cvars().dumpTarget().command, "WRITECONFIG ravelin_tmp.cfg") << serverOutput();
    fillsOnClick(home / "baseq3" / "ravelin_tmp.cfg");
    EXPECT_EQ(serverOutput().find("refusing"), std::string::npos);
}

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
