// The rotation on a fake clock: the timer is modelled as the main window's
// is (a new interval restarts the count), and every command is stamped
// with the time it was sent.
#include "clients/RotationRunner.h"

#include <gtest/gtest.h>

using namespace ravelin;

namespace {

struct Sent {
    long long at;
    std::string command;
    bool operator==(const Sent&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sent& s) { return out << s.at << ":" << s.command; }

class RotationClock {
public:
    bool unloading = false;
    RotationRunner runner{unloading};
    long long now = 0;
    bool enabled = false;
    int interval = 0;
    long long due = 0;
    std::vector<Sent> sent;
    std::vector<std::string> debug;
    std::vector<std::string> shown;
    std::vector<int> selections;

    RotationClock()
    {
        RotationHooks& h = runner.hooks();
        h.enableTimer = [this](bool on) {
            if (on && !enabled)
                due = now + interval;
            enabled = on;
        };
        h.setInterval = [this](int ms) {
            interval = ms;
            due = now + ms;
        };
        h.showEntries = [this](const std::vector<std::string>& e) { shown = e; };
        h.selectEntry = [this](int i) { selections.push_back(i); };
        h.send = [this](const std::string& c) { sent.push_back({now, c}); };
        h.debugPrint = [this](const std::string& l) { debug.push_back(l); };
    }

    // Lets time pass to `until`, ticking whenever the timer is due.
    void runUntil(long long until)
    {
        while (enabled && due <= until) {
            now = due;
            due = now + interval;
            runner.step();
        }
        now = until;
    }
};

} // namespace

TEST(RotationRunner, PauseEntryAndWaitsAfterEachCommandFollowTheExample)
{
    RotationClock c;
    ASSERT_TRUE(c.runner.start({"say hello||2000", "NOP||5000", "map_restart||3000"}));
    EXPECT_EQ(c.shown, (std::vector<std::string>{"", "say hello||2000", "NOP||5000", "map_restart||3000"}));
    EXPECT_EQ(c.selections, std::vector<int>{0});
    EXPECT_TRUE(c.enabled);

    c.runUntil(3000);
    EXPECT_EQ(c.runner.selected(), 2) << "the pause entry is selected 2 s after say hello";
    c.runUntil(11000);
    EXPECT_EQ(c.sent, (std::vector<Sent>{{1000, "say hello"}, {8000, "map_restart"}, {11000, "say hello"}}));
    // Wrap-around goes to the first real entry; the empty one is never revisited.
    EXPECT_EQ(c.selections, (std::vector<int>{0, 1, 2, 3, 1}));
    EXPECT_TRUE(c.debug.empty());
}

TEST(RotationRunner, ASingleEntryRepeatsAtItsOwnIntervalAndLowerCaseNopIsACommand)
{
    RotationClock c;
    c.runner.start({"nop||700"});
    c.runUntil(3100);
    EXPECT_EQ(c.sent, (std::vector<Sent>{{1000, "nop"}, {1700, "nop"}, {2400, "nop"}, {3100, "nop"}}));
}

TEST(RotationRunner, StopKeepsTheListAndRunStartsAgainFromTheTopOneSecondLater)
{
    RotationClock c;
    c.runner.start({"say one||300", "say two||300", "say three||300"});
    c.runUntil(1300);
    ASSERT_EQ(c.runner.selected(), 2);
    c.runner.stop();
    EXPECT_FALSE(c.enabled);
    EXPECT_EQ(c.interval, kRotationStartInterval);
    EXPECT_EQ(c.runner.selected(), 2) << "lstExec keeps its selection";
    c.runUntil(5000);
    EXPECT_EQ(c.sent.size(), 2u);

    c.sent.clear();
    c.runner.start({"say one||300", "say two||300", "say three||300"});
    c.runUntil(6300);
    EXPECT_EQ(c.sent, (std::vector<Sent>{{6000, "say one"}, {6300, "say two"}}));

    // Run again while running restarts from the top too.
    c.runner.start({"say one||300", "say two||300"});
    c.runUntil(7300);
    EXPECT_EQ(c.sent.back(), (Sent{7300, "say one"}));
}

TEST(RotationRunner, AnIntervalThatWouldFloodOrStopWaitsOneSecondAndIsReportedOncePerRun)
{
    const char* bad[] = {"", "abc", "0", "-5", "65536", "1.5", " 500", "500ms", "99999999999"};
    for (const char* interval : bad) {
        RotationClock c;
        c.runner.start({std::string("say a||") + interval, "say b||400"}, "Cycle");
        c.runUntil(4400);
        EXPECT_EQ(
            c.sent,
            (std::vector<Sent>{{1000, "say a"}, {2000, "say b"}, {2400, "say a"}, {3400, "say b"}, {3800, "say a"}}))
            << '"' << interval << '"';
        ASSERT_EQ(c.debug.size(), 1u) << interval;
        EXPECT_NE(c.debug[0].find("\"Cycle\": entry 1 "), std::string::npos) << c.debug[0];
    }
    RotationClock c;
    c.runner.start({"a||0", "b||1", "c||65535", "d"}, "Edges");
    ASSERT_EQ(c.debug.size(), 1u);
    EXPECT_NE(c.debug[0].find("entries 1, 4 have"), std::string::npos) << c.debug[0];
    c.runner.start({"a||0"}, "Edges");
    EXPECT_EQ(c.debug.size(), 2u) << "said again on the next run";
}

TEST(RotationRunner, NothingToRunStartsNothingAndAClosingWindowSendsNothing)
{
    RotationClock c;
    EXPECT_FALSE(c.runner.start({}));
    EXPECT_FALSE(c.enabled);
    EXPECT_TRUE(c.shown.empty());

    c.runner.start({"say a||500"});
    c.unloading = true;
    c.runUntil(5000);
    EXPECT_TRUE(c.sent.empty());
}

TEST(RotationRunner, EntriesSplitAtTheFirstTwoSeparators)
{
    const struct {
        const char* entry;
        const char* command;
        const char* interval;
    } cases[] = {
        {"map q3dm17||60000", "map q3dm17", "60000"}, {"say a||b||c", "say a", "b"},
        {"no separator", "no separator", ""},         {"||500", "", "500"},
        {"say |x|||250", "say |x", "|250"},
    };
    for (const auto& c : cases) {
        const RotationEntry e = splitRotationEntry(c.entry);
        EXPECT_EQ(e.command, c.command) << c.entry;
        EXPECT_EQ(e.interval, c.interval) << c.entry;
    }
}
