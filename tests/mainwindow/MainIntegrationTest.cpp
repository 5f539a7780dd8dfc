// The main window against a real console host: ravelin-console running
// q3sim in this test's private runtime folder, reached over the window
// manager of the program itself.
#include "HostedMainWindow.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct MainAgainstHostTest : HostedMainWindowTest {
    void SetUp() override
    {
        startServerAndWindow({"+set", "sv_hostname", "Integration Arena", "+set", "net_port", "0", "+set",
                              "fs_basepath", appFolder.path().string(), "--players", "Bob"});
    }
};

} // namespace

TEST_F(MainAgainstHostTest, ConsolePageFollowsTheServerLineByLine)
{
    EXPECT_EQ(window->GameBasePath(), appFolder.path().string());
    ASSERT_TRUE(waitForQt([&] { return window->displayText() == serverOutput(); })) << window->displayText();
    EXPECT_NE(window->displayText().find("Opening IP socket"), std::string::npos);

    for (int i = 1; i <= 30; ++i)
        window->ConsoleOut("echo line " + std::to_string(i));
    ASSERT_TRUE(waitForQt([&] {
        const std::string text = window->displayText();
        return text.find("\r\nline 30\r\n") != std::string::npos && text == serverOutput();
    })) << window->displayText();
    // Each line shows exactly once and in order.
    const std::string text = window->displayText();
    std::size_t at = 0;
    for (int i = 1; i <= 30; ++i) {
        const std::string line = "\r\nline " + std::to_string(i) + "\r\n";
        std::size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << i;
        EXPECT_EQ(text.find(line, found + 1), std::string::npos) << i;
        at = found;
    }
}

TEST_F(MainAgainstHostTest, TypedCommandReachesTheServer)
{
    auto* txtOut = window->findChild<QLineEdit*>("txtOut");
    txtOut->setText("g_motd \"typed in ravelin\"");
    QTest::keyClick(txtOut, Qt::Key_Return);
    ASSERT_TRUE(waitForQt([&] {
        return window->displayText().find("]g_motd \"typed in ravelin\"\r\n") != std::string::npos;
    })) << window->displayText();
    EXPECT_EQ(probe.GetCvarValue(host.handle(), "g_motd"), "typed in ravelin");
}

TEST_F(MainAgainstHostTest, ClearingEmptiesBothSides)
{
    ASSERT_TRUE(waitForQt([&] { return window->displayText() == serverOutput() && !serverOutput().empty(); }));
    QTest::mouseClick(window->findChild<QPushButton*>("cmdClear"), Qt::LeftButton);
    EXPECT_EQ(window->displayText(), "");
    EXPECT_EQ(window->findChild<QPlainTextEdit*>("txtDisplay")->toPlainText(), "");
    ASSERT_TRUE(waitForQt([&] { return serverOutput().empty(); })) << serverOutput();

    window->ConsoleOut("echo after the clear");
    ASSERT_TRUE(waitForQt([&] { return window->displayText() == "]echo after the clear\r\nafter the clear\r\n"; }))
        << window->displayText();
}
