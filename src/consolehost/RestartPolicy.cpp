#include "consolehost/RestartPolicy.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace ravelin::consolehost {

std::optional<RestartMode> parseRestartMode(const std::string& text)
{
    if (text == "on-crash")
        return RestartMode::OnCrash;
    if (text == "always")
        return RestartMode::Always;
    if (text == "never")
        return RestartMode::Never;
    return std::nullopt;
}

const char* restartModeName(RestartMode mode)
{
    switch (mode) {
    case RestartMode::Always: return "always";
    case RestartMode::Never: return "never";
    case RestartMode::OnCrash: break;
    }
    return "on-crash";
}

std::string RestartPolicy::formatDuration(std::int64_t seconds)
{
    seconds = std::max<std::int64_t>(seconds, 0);
    char text[64];
    if (seconds < 60)
        std::snprintf(text, sizeof text, "%lld s", static_cast<long long>(seconds));
    else if (seconds < 3600)
        std::snprintf(text, sizeof text, "%lld min %02lld s", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%lld h %02lld min", static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds / 60 % 60));
    return text;
}

std::string RestartPolicy::describeEnd(const ServerEnd& end)
{
    if (!end.failure.empty())
        return end.failure;
    if (end.signal != 0) {
        const char* name = ::sigabbrev_np(end.signal);
        return "ended by signal " + std::to_string(end.signal) + " (" + (name ? "SIG" + std::string(name) : "?") + ")";
    }
    return "ended with status " + std::to_string(end.status);
}

void RestartPolicy::started(std::int64_t now)
{
    m_state = State::Running;
    m_startedAt = now;
}

void RestartPolicy::restartedByHand() { m_crashes.clear(); }

void RestartPolicy::resume(State state, int crashes, int restarts, std::int64_t now, std::int64_t due)
{
    m_state = state;
    m_restarts = std::max(restarts, 0);
    m_due = due;
    m_startedAt = now;
    m_crashes.assign(static_cast<std::size_t>(std::clamp(crashes, 0, kLoopCrashes)), now);
}

RestartPolicy::Decision RestartPolicy::ended(const ServerEnd& end, std::int64_t now)
{
    Decision decision;
    std::string what = "*** The server " + describeEnd(end) + " after " + formatDuration(now - m_startedAt);
    bool crashed = end.signal != 0 || end.status != 0 || !end.failure.empty();
    bool wanted = !end.quitAsked && (m_mode == RestartMode::Always || (m_mode == RestartMode::OnCrash && crashed));
    if (!wanted) {
        m_state = State::Ended;
        decision.state = m_state;
        decision.line = what
            + (end.quitAsked && m_mode != RestartMode::Never ? "; it was asked to quit, so it is "
                                                               "not started again"
                                                             : "");
        return decision;
    }
    while (!m_crashes.empty() && now - m_crashes.front() >= kLoopWindow)
        m_crashes.pop_front();
    m_crashes.push_back(now);
    if (static_cast<int>(m_crashes.size()) >= kLoopCrashes) {
        m_state = State::Stopped;
        decision.state = m_state;
        decision.line =
            what + "; " + std::to_string(m_crashes.size()) + " crashes within ten minutes, so it is not started again";
        return decision;
    }
    ++m_restarts;
    int delay = kFirstDelay;
    for (int i = 1; i < m_restarts && delay < kMaxDelay; ++i)
        delay *= 2;
    delay = std::min(delay, kMaxDelay);
    m_state = State::Restarting;
    m_due = now + delay;
    decision.state = m_state;
    decision.delaySeconds = delay;
    decision.line =
        what + "; starting it again in " + std::to_string(delay) + " s (restart " + std::to_string(m_restarts) + ")";
    return decision;
}

std::string RestartPolicy::describe(std::int64_t now) const
{
    switch (m_state) {
    case State::Running: return "running";
    case State::Restarting: return "restarting in " + std::to_string(std::max<std::int64_t>(m_due - now, 0)) + " s";
    case State::Stopped: return "stopped after " + std::to_string(m_crashes.size()) + " crashes";
    case State::Ended: break;
    }
    return "ended";
}

} // namespace ravelin::consolehost
