#include "consolehost/RestartPolicy.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace ravelin::consolehost;
using State = RestartPolicy::State;

namespace {

ServerEnd bySignal(int number) { return {number, 0, false, {}}; }
ServerEnd withStatus(int status, bool quit = false) { return {0, status, quit, {}}; }

struct Step {
    std::int64_t ranFor; // seconds the server ran before this end
    ServerEnd end;
    State state;
    int delay;
};

struct Case {
    const char* name;
    RestartMode mode;
    std::vector<Step> steps;
};

} // namespace

TEST(RestartPolicyTest, DecidesEachEndFromTheTable)
{
    const ServerEnd segv = bySignal(SIGSEGV);
    const std::vector<Case> cases = {
        {"back-off doubles to a minute over spaced crashes",
         RestartMode::OnCrash,
         {{700, segv, State::Restarting, 2},
          {700, withStatus(1), State::Restarting, 4},
          {700, segv, State::Restarting, 8},
          {700, segv, State::Restarting, 16},
          {700, segv, State::Restarting, 32},
          {700, segv, State::Restarting, 60},
          {700, segv, State::Restarting, 60}}},
        {"five crashes in ten minutes stop",
         RestartMode::OnCrash,
         {{1, segv, State::Restarting, 2},
          {1, segv, State::Restarting, 4},
          {1, segv, State::Restarting, 8},
          {1, segv, State::Restarting, 16},
          {1, segv, State::Stopped, 0}}},
        {"a clean end or a quit ends", RestartMode::OnCrash, {{5, withStatus(0), State::Ended, 0}}},
        {"a quit that ends badly still ends",
         RestartMode::OnCrash,
         {{5, bySignal(SIGKILL), State::Restarting, 2}, {5, withStatus(1, true), State::Ended, 0}}},
        {"always restarts a clean end",
         RestartMode::Always,
         {{5, withStatus(0), State::Restarting, 2}, {5, withStatus(0, true), State::Ended, 0}}},
        {"never restarts nothing", RestartMode::Never, {{5, segv, State::Ended, 0}}},
    };
    for (const Case& c : cases) {
        RestartPolicy policy(c.mode);
        std::int64_t now = 1'000'000;
        policy.started(now);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            now += step.ranFor;
            auto decision = policy.ended(step.end, now);
            EXPECT_EQ(decision.state, step.state) << c.name << ", step " << i;
            EXPECT_EQ(decision.delaySeconds, step.delay) << c.name << ", step " << i;
            now += decision.delaySeconds;
            policy.started(now);
        }
    }
}

TEST(RestartPolicyTest, SaysWhatHappenedInTheConsoleLine)
{
    RestartPolicy policy;
    policy.started(0);
    policy.ended(bySignal(SIGKILL), 60);
    policy.started(62);
    auto decision = policy.ended(bySignal(SIGSEGV), 62 + 3 * 3600 + 2 * 60 + 7);
    EXPECT_EQ(decision.line,
              "*** The server ended by signal 11 (SIGSEGV) after 3 h 02 min; starting it again in 4 s (restart 2)");
    EXPECT_EQ(policy.describe(62 + 3 * 3600 + 2 * 60 + 8), "restarting in 3 s");
    for (int i = 0; i < 5; ++i) {
        policy.started(20000 + i);
        decision = policy.ended(withStatus(2), 20000 + i);
    }
    EXPECT_EQ(decision.line,
              "*** The server ended with status 2 after 0 s; 5 crashes within ten minutes, so it is "
              "not started again");
    EXPECT_EQ(policy.describe(20010), "stopped after 5 crashes");
    policy.restartedByHand();
    policy.started(20020);
    EXPECT_EQ(policy.describe(20020), "running");
    EXPECT_EQ(policy.ended(withStatus(0), 20020 + 65).line, "*** The server ended with status 0 after 1 min 05 s");
    EXPECT_EQ(policy.describe(20100), "ended");
}
