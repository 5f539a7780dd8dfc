// A rotation through a real console host running q3sim: the commands
// arrive in order, each after the wait of the entry before it. The gaps are
// checked only from below (a loaded machine makes them longer, never
// shorter); their precision is the benchmark's business.
#include "HostedMainWindow.h"

#include "config/PresetFile.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include <fstream>

using namespace ravelin;
using namespace ravelin::test;

TEST_F(HostedMainWindowTest, ARotationOfThreeCommandsArrivesInOrderWithItsGaps)
{
    const std::vector<std::string> entries = {"echo rot one||500", "NOP||400", "echo rot two||300",
                                              "echo rot three||700"};
    std::filesystem::create_directories(appFolder.path() / "presets");
    std::ofstream(appFolder.path() / "presets" / "cycle.pst", std::ios::binary)
        << *encodePreset({"Cycle", "cycle", entries});
    startServerAndWindow({"+set", "net_port", "0", "+set", "fs_basepath", appFolder.path().string()});

    auto* cbo = window->findChild<QComboBox*>("cboPreset");
    ASSERT_EQ(cbo->count(), 1);
    cbo->setCurrentIndex(0);
    emit cbo->activated(0);
    QTest::mouseClick(window->findChild<QRadioButton*>("optRunAAI"), Qt::LeftButton);

    // Stamp each echo the host shows, the moment it first appears.
    const std::vector<std::string> expected = {"]echo rot one", "]echo rot two", "]echo rot three", "]echo rot one"};
    std::vector<qint64> seenAt;
    QElapsedTimer clock;
    clock.start();
    const bool arrived = waitForQt(
        [&] {
            const std::string output = serverOutput();
            std::size_t at = 0;
            for (std::size_t i = 0; i < expected.size(); ++i) {
                at = output.find(expected[i] + "\r\n", at);
                if (at == std::string::npos)
                    return false;
                if (seenAt.size() == i)
                    seenAt.push_back(clock.elapsed());
                at += expected[i].size();
            }
            return true;
        },
        20000);
    ASSERT_TRUE(arrived) << serverOutput();
    QTest::mouseClick(window->findChild<QRadioButton*>("optStopAAI"), Qt::LeftButton);

    // one → (500 + 400 pause) → two → 300 → three → 700 → one
    const qint64 wanted[] = {900, 300, 700};
    for (std::size_t i = 0; i < 3; ++i) {
        const qint64 gap = seenAt[i + 1] - seenAt[i];
        std::printf("gap %zu: %lld ms (entry waits %lld ms)\n", i + 1, static_cast<long long>(gap),
                    static_cast<long long>(wanted[i]));
        EXPECT_GE(gap, wanted[i] * 8 / 10) << i;
    }
    auto* lstExec = window->findChild<QListWidget*>("lstExec");
    EXPECT_EQ(lstExec->count(), 5);
    EXPECT_GE(lstExec->currentRow(), 1);
}
