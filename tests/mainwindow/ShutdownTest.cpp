// The shutdown dialog's choice and the tray animation (what each way does to
// the window and the server: ChromeTest).
#include "mainwindow/ShutdownChoice.h"
#include "mainwindow/TrayAnimation.h"

#include <gtest/gtest.h>

using namespace ravelin;

namespace {

struct RecordingShutdownView : ShutdownDialogView {
    std::vector<std::string> calls;
    int progress = 0;
    bool buttons = true;
    bool timer = false;
    void showRestPanel() override { calls.push_back("rest panel"); }
    void setButtonsEnabled(bool on) override { buttons = on; }
    void setRestTimerEnabled(bool on) override { timer = on; }
    void setProgress(int value) override { progress = value; }
    void closeDialog() override { calls.push_back("close"); }
};

struct ShutdownChoiceTest : testing::Test {
    RecordingShutdownView view;
    int quits = 0;
    ShutdownChoice choice{view, [this] {
                              ++quits;
                              view.calls.push_back("QUIT");
                          }};
};

} // namespace

TEST_F(ShutdownChoiceTest, EachWayClosesTheDialogAndOnlyTheShutdownsSendQuit)
{
    struct Case {
        ShutdownWay way;
        std::vector<std::string> calls;
    };
    const Case cases[] = {{ShutdownWay::SelectServer, {"close"}},
                          {ShutdownWay::ShutdownAndEnd, {"QUIT", "close"}},
                          {ShutdownWay::ShutdownAndSelect, {"QUIT", "close"}}};
    for (const Case& c : cases) {
        RecordingShutdownView v;
        int sent = 0;
        ShutdownChoice ch(v, [&] {
            ++sent;
            v.calls.push_back("QUIT");
        });
        ch.cmdOk_Click(c.way);
        EXPECT_EQ(v.calls, c.calls) << static_cast<int>(c.way);
        EXPECT_EQ(ch.chosen(), c.way);
        // A second Ok on a closed dialog does nothing more.
        ch.cmdOk_Click(c.way);
        EXPECT_EQ(sent, c.calls.size() == 2 ? 1 : 0);
    }
}

TEST_F(ShutdownChoiceTest, CancelClosesWithoutAWay)
{
    choice.cmdCancel_Click();
    EXPECT_EQ(view.calls, std::vector<std::string>{"close"});
    EXPECT_FALSE(choice.chosen().has_value());
    EXPECT_EQ(quits, 0);
}

TEST_F(ShutdownChoiceTest, HandBackFillsTheBarThenClosesAndCannotBeCancelled)
{
    choice.cmdOk_Click(ShutdownWay::RestoreConsole);
    EXPECT_EQ(view.calls, std::vector<std::string>{"rest panel"});
    EXPECT_FALSE(view.buttons);
    EXPECT_TRUE(view.timer);
    choice.cmdCancel_Click();
    choice.cmdOk_Click(ShutdownWay::ShutdownAndEnd);
    EXPECT_EQ(quits, 0);

    for (int tick = 1; tick <= ShutdownChoice::kProgressMaximum; ++tick) {
        choice.tmrRest_Timer();
        ASSERT_EQ(view.progress, tick);
        ASSERT_FALSE(choice.chosen().has_value()) << tick;
    }
    choice.tmrRest_Timer();
    EXPECT_EQ(view.calls, (std::vector<std::string>{"rest panel", "close"}));
    EXPECT_EQ(choice.chosen(), ShutdownWay::RestoreConsole);
    EXPECT_FALSE(view.timer);
    EXPECT_FALSE(view.buttons);
    choice.tmrRest_Timer();
    EXPECT_EQ(view.calls.size(), 2u);
}

// The turn at the top goes 10, 9; at the bottom frame 7 shows twice, since
// stepping below 7 puts the frame back on 7 (which also makes the very first
// step show 7).
TEST(TrayAnimationTest, FramesRunBackAndForthOverSevenToTen)
{
    TrayAnimation tray;
    std::vector<int> shown;
    tray.setShowFrame([&](int frame) { shown.push_back(frame); });
    for (int i = 0; i < 10; ++i)
        tray.BumpTray();
    EXPECT_EQ(shown, (std::vector<int>{7, 8, 9, 10, 9, 8, 7, 7, 8, 9}));
}
