#include "consolehost/RestartPolicy.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace ravelin::consolehost;
using State = RestartPolicy::State;

namespace {

ServerEnd bySignal(int number) { return {number, 0, false, {}}; }
ServerEnd withStatus(int status, bool quit = false) { return {0, status, quit, {}}; }

} // namespace

TEST(RestartPolicyTest, DecidesEachEndFromTheTable)
{
    // Each end comes `ranFor` seconds after the (re)start; each answer is
    // the restart's delay, or kEnded, or kStopped.
    constexpr int kEnded = 0, kStopped = -1;
    const ServerEnd segv = bySignal(SIGSEGV), failed = withStatus(1), clean = withStatus(0);
    const struct {
        const char* name;
        RestartMode mode;
        std::int64_t ranFor;
        std::vector<ServerEnd> ends;
        std::vector<int> answers;
    } cases[] = {
        {"back-off doubles to a minute",
         RestartMode::OnCrash,
         700,
         {segv, failed, segv, segv, segv, segv, segv},
         {2, 4, 8, 16, 32, 60, 60}},
        {"five crashes in ten minutes stop",
         RestartMode::OnCrash,
         1,
         {segv, segv, segv, segv, segv},
         {2, 4, 8, 16, kStopped}},
        {"a clean end ends", RestartMode::OnCrash, 5, {clean}, {kEnded}},
        {"a quit ends however it ends", RestartMode::OnCrash, 5, {segv, withStatus(1, true)}, {2, kEnded}},
        {"always restarts a clean end, not a quit", RestartMode::Always, 5, {clean, withStatus(0, true)}, {2, kEnded}},
        {"never restarts nothing", RestartMode::Never, 5, {segv}, {kEnded}},
    };
    for (const auto& c : cases) {
        RestartPolicy policy(c.mode);
        std::int64_t now = 1'000'000;
        policy.started(now);
        for (std::size_t i = 0; i < c.ends.size(); ++i) {
            auto decision = policy.ended(c.ends[i], now += c.ranFor);
            int answer = decision.state == State::Restarting ? decision.delaySeconds
                : decision.state == State::Stopped           ? kStopped
                                                             : kEnded;
            EXPECT_EQ(answer, c.answers[i]) << c.name << ", end " << i;
            policy.started(now += decision.delaySeconds);
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
    EXPECT_EQ(policy.ended(withStatus(0), 20020 + 65).line, "*** The server ended with status 0 after 1 min 05 s");
    EXPECT_EQ(policy.describe(20100), "ended");
}
