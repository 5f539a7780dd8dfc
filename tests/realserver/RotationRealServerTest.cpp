// A rotation run by the main window on the real OpenArena server inside a
// console host: map_restart, g_gravity 600, a pause and a say, in a loop,
// with lstExec following. The engine's map_restart counts down 5 s before
// it restarts, and the restart sets g_gravity back to 800; the entry waits
// 6 s so that the gravity set after it holds.
#include "config/PresetFile.h"
#include "mainwindow/HostedMainWindow.h"
#include "realserver/RealServerSupport.h"

#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include <fstream>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct RealServerRotation : HostedMainWindowTest {
    TempDir home{"ravelin-oahome"};
};

} // namespace

TEST_F(RealServerRotation, MapRestartGravityPauseAndSayGoRoundInOrder)
{
    if (!openArenaInstalled())
        GTEST_SKIP() << "openarena-server not installed";
    ASSERT_TRUE(startOpenArena(host, bridge, home.path(), 0)) << host.logText();
    std::filesystem::create_directories(appFolder.path() / "presets");
    std::ofstream(appFolder.path() / "presets" / "Real_Cycle.pst", std::ios::binary) << *encodePreset(
        {"Real Cycle",
         "Real_Cycle",
         {"map_restart||6000", "g_gravity 600||1000", "NOP||1000", "say rotation on the real server||1000"}});
    openWindow();
    auto* cbo = window->findChild<QComboBox*>("cboPreset");
    ASSERT_EQ(cbo->count(), 1);
    cbo->setCurrentIndex(0);
    emit cbo->activated(0);
    QTest::mouseClick(window->findChild<QRadioButton*>("optRunAAI"), Qt::LeftButton);

    // The host's output box starts afresh when it passes 32767 characters
    // (each InitGame line is about 1000): the whole run is kept here.
    auto* lstExec = window->findChild<QListWidget*>("lstExec");
    std::vector<int> rowsSeen;
    std::string transcript;
    std::string last;
    ASSERT_TRUE(waitForQt(
        [&] {
            const std::string now = serverOutput();
            transcript += now.rfind(last, 0) == 0 ? now.substr(last.size()) : now;
            last = now;
            // Read after the output: an entry is selected before it is sent.
            const int row = lstExec->currentRow();
            if (rowsSeen.empty() || rowsSeen.back() != row)
                rowsSeen.push_back(row);
            return occurrences(transcript, "]map_restart") >= 2;
        },
        60000))
        << transcript;
    QTest::mouseClick(window->findChild<QRadioButton*>("optStopAAI"), Qt::LeftButton);

    const std::string& text = transcript;
    const std::size_t restart = text.find("]map_restart");
    // Either end of the restart will do: a burst of output may start the
    // host's box afresh before the poll reads it.
    const bool restarted = text.find("ShutdownGame:", restart) != std::string::npos
        || text.find("InitGame:", restart) != std::string::npos;
    const std::size_t gravity = text.find("]g_gravity 600");
    const std::size_t changed = text.find("g_gravity changed to 600", gravity);
    const std::size_t said = text.find("]say rotation on the real server");
    const std::size_t again = text.find("]map_restart", restart + 1);
    ASSERT_NE(restart, std::string::npos);
    EXPECT_TRUE(restarted) << "the map restarted";
    EXPECT_LT(restart, gravity);
    EXPECT_LT(gravity, changed) << "the server took the new gravity";
    EXPECT_LT(changed, said);
    EXPECT_NE(text.find("console: rotation on the real server", said), std::string::npos) << "the server said it";
    EXPECT_LT(said, again) << "the rotation wrapped round";
    EXPECT_NE(again, std::string::npos);
    EXPECT_EQ(occurrences(text, "]NOP"), 0u) << "the pause sends nothing";
    // lstExec went through every entry, the pause included, and wrapped.
    for (int row = 1; row <= 4; ++row)
        EXPECT_NE(std::find(rowsSeen.begin(), rowsSeen.end(), row), rowsSeen.end()) << row;
    EXPECT_EQ(rowsSeen.back(), 1);
}
