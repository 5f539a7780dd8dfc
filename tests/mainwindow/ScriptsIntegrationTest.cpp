// The shipped scripts in a main window connected to a real console host
// running q3sim with simulated players: chat, joins and frags flow from the
// server through the pump into the scripts, and what the scripts say goes
// back to the server.
#include "HostedMainWindow.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct ShippedScriptsAgainstHostTest : HostedMainWindowTest {
    void SetUp() override
    {
        std::filesystem::copy(sourceDir() / "assets" / "Scripts", appFolder.path() / "Scripts",
                              std::filesystem::copy_options::recursive);
        startServerAndWindow({"+set", "sv_hostname", "Scripted Arena", "+set", "net_port", "0", "--players",
                              "Bob,Two Words", "--seed", "7", "--chat-every", "0.3", "--join-every", "0.7",
                              "--kill-every", "0.2"});
    }
};

} // namespace

TEST_F(ShippedScriptsAgainstHostTest, ChatReachesTheScriptsAndTheirWordsReachTheServer)
{
    auto* procs = window->findChild<QListWidget*>("lstConsoleProc");
    ASSERT_TRUE(waitForQt([&] { return procs->count() > 0; }));
    // Only Ravelin's own notes ("*** ..."), no script error.
    const QString debugText = window->findChild<QPlainTextEdit*>("txtDebug")->toPlainText();
    for (const QString& note : debugText.split('\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(note.startsWith("*** ")) << debugText.toStdString();

    auto* lastProc = window->findChild<QLineEdit*>("txtLastProc");
    auto* lastData = window->findChild<QLineEdit*>("txtLastData");
    ASSERT_TRUE(waitForQt([&] { return lastProc->text() == "Q3ARVL_say"; }, 20000));
    // What the pump handed over is the rest of a chat line the server printed.
    const std::string data = lastData->text().toStdString();
    EXPECT_NE(bridge.ReadConsoleOutput().find("say:" + data), std::string::npos) << data;

    // The chat log is written through FileSystemObject in the application folder.
    ASSERT_TRUE(waitForQt([&] { return std::filesystem::exists(appFolder.path() / "logs" / "chat.log"); }));

    // A joining player is greeted: the script's ConsoleOut reaches the server,
    // whose output shows the typed line.
    ASSERT_TRUE(waitForQt(
        [&] {
            return bridge.ReadConsoleOutput().find("]say \"Welcome to the arena") != std::string::npos
                || window->displayText().find("]say \"Welcome to the arena") != std::string::npos;
        },
        30000));
}
