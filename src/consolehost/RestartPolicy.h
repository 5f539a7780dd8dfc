// What the host does when its server ends: start it again after a back-off,
// stop restarting a crash loop, or let it end. Takes the facts of each end
// (how it ended, whether someone asked it to quit, when) and answers with a
// decision and the console line that says so. Plain C++: the clock is the
// caller's, handed in as seconds, so the tables run without waiting.
//
// Back-off: restart N waits 2^N seconds (2, 4, 8, ...), at most 60; the
// count of restarts is kept for the console's life, so a server that keeps
// crashing now and then is not hammered. Five ends that ask for a restart
// within ten minutes stop the restarts until an operator restarts by hand.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace ravelin::consolehost {

enum class RestartMode { OnCrash, Always, Never };

std::optional<RestartMode> parseRestartMode(const std::string& text);
const char* restartModeName(RestartMode mode);

// How a server process ended, as waitpid told.
struct ServerEnd {
    int signal = 0; // the signal that ended it, or 0
    int status = 0; // its exit status when no signal ended it
    bool quitAsked = false; // a QUIT was typed, or the host was told to stop it
    // A failure the host saw while the process lived (map drop, hang): the
    // host ended it itself, so this reason stands in for the signal.
    std::string failure;
};

class RestartPolicy {
public:
    static constexpr int kFirstDelay = 2;
    static constexpr int kMaxDelay = 60;
    static constexpr int kLoopCrashes = 5;
    static constexpr std::int64_t kLoopWindow = 600;

    enum class State { Running, Restarting, Stopped, Ended };

    struct Decision {
        State state = State::Ended;
        int delaySeconds = 0; // when Restarting
        std::string line; // the console line saying what happened
    };

    explicit RestartPolicy(RestartMode mode = RestartMode::OnCrash) : m_mode(mode) {}

    RestartMode mode() const { return m_mode; }
    // The server (re)started at `now`.
    void started(std::int64_t now);
    // The server ended at `now`: what to do about it.
    Decision ended(const ServerEnd& end, std::int64_t now);
    // An operator restarts by hand: the crash loop count starts afresh.
    void restartedByHand();
    // Takes over the state a previous host (before it replaced itself) had
    // at `now`: `crashes` crashes counted within the loop window, `restarts`
    // so far, a restart due at `due` when Restarting.
    void resume(State state, int crashes, int restarts, std::int64_t now, std::int64_t due);

    State state() const { return m_state; }
    int restarts() const { return m_restarts; }
    int crashesInWindow() const { return static_cast<int>(m_crashes.size()); }
    // When the pending restart is due (seconds, the caller's clock).
    std::int64_t restartDue() const { return m_due; }
    // The state as `list` shows it, at `now`.
    std::string describe(std::int64_t now) const;

    static std::string formatDuration(std::int64_t seconds);
    static std::string describeEnd(const ServerEnd& end);

private:
    RestartMode m_mode;
    State m_state = State::Running;
    std::int64_t m_startedAt = 0;
    std::int64_t m_due = 0;
    int m_restarts = 0;
    std::deque<std::int64_t> m_crashes;
};

} // namespace ravelin::consolehost
