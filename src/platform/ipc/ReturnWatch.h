// While a machine's link waits out its back-off, a cheap watch for the
// machine's return. The back-off (up to a minute between ssh attempts) keeps
// a refused key or a dead host from being hammered, but it would also leave a
// machine that came back unused for up to that minute. So between attempts
// the address ssh would connect to (what `ssh -G` resolves the target to,
// with the user's own configuration, aliases and ports) is knocked on about
// once a second with a plain TCP connect, closed at once. A knock that gets
// through after one that did not means sshd is back: the link tries ssh at
// once. A port that always answers (sshd up, but the key refused) never
// counts as a return, so real attempts keep their back-off.
//
// A target reached through ProxyJump or ProxyCommand has no address of its
// own to knock on: the watch stays idle and the link keeps the plain
// back-off. Plain POSIX, no Qt; the owner calls poll() from its own polling.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace ravelin::ipc {

// When to knock and what a knock's outcome means, free of I/O; the clock is
// the caller's.
class KnockSchedule {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{1000};
    // A knock left unanswered this long did not get through.
    static constexpr std::chrono::milliseconds kKnockTimeout{1000};

    // A new wait: what earlier knocks saw no longer counts. `unreachable`:
    // the attempt that just failed found no one at the port, which counts
    // as a knock that missed.
    void restart(bool unreachable)
    {
        m_next = {};
        m_missed = unreachable;
        m_through = false;
    }
    // Once a knock got through, the port is up and nothing more is learned
    // by knocking: a server that penalises connections closed before
    // logging in sees one per wait, not one a second.
    bool due(Clock::time_point now) const { return !m_through && now >= m_next; }
    void knocked(Clock::time_point now) { m_next = now + kInterval; }
    // A knock's outcome; true when ssh should be tried now.
    bool answered(bool through)
    {
        const bool back = through && m_missed;
        m_missed = !through;
        m_through = through;
        return back;
    }

private:
    Clock::time_point m_next{};
    bool m_missed = false;
    bool m_through = false;
};

// What `ssh -G` printed, read for the address ssh would connect to;
// nullopt when it names no host or port, or goes through a proxy.
struct SshAddress {
    std::string host;
    std::string port;
};
std::optional<SshAddress> parseSshResolved(std::string_view text);

// `ssh -G` for the target of an ssh relay command (its options kept, the
// remote command left out); empty when `command` is not an ssh command.
std::vector<std::string> sshResolveCommand(const std::vector<std::string>& command);

class ReturnWatch {
public:
    using Clock = KnockSchedule::Clock;

    // `resolve` is the `ssh -G` command (sshResolveCommand); empty: no watch.
    explicit ReturnWatch(std::vector<std::string> resolve);
    ~ReturnWatch();
    ReturnWatch(const ReturnWatch&) = delete;
    ReturnWatch& operator=(const ReturnWatch&) = delete;

    // A wait begins (an ssh attempt failed, `unreachable` when it found no
    // one at the port): resolves the address afresh.
    void begin(bool unreachable);
    // The wait is over (ssh is being tried, or the link stopped).
    void end();
    // Advances the resolution and the knocks; true when the machine is back.
    bool poll(Clock::time_point now);

private:
    struct Lookup;
    void readResolver();
    bool knock(Clock::time_point now);
    void closeKnock();

    std::vector<std::string> m_resolve;
    KnockSchedule m_schedule;
    bool m_waiting = false;
    pid_t m_resolver = -1;
    int m_resolverOut = -1;
    std::string m_resolved;
    std::shared_ptr<Lookup> m_lookup;
    int m_knock = -1;
    Clock::time_point m_knockedAt{};
};

} // namespace ravelin::ipc
