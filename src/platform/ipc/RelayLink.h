// One machine's link to its relay (`ravelin-console relay` at the far end,
// RelayProtocol.h): a child process, normally
//     ssh -T -o BatchMode=yes [-F CONFIG] [-p PORT] [-i KEY] user@host ravelin-console relay
// whose stdin and stdout carry the frames and whose stderr is ssh's own
// account of what went wrong. Plain POSIX, no Qt: the owner calls poll()
// often (a timer), which reads what arrived, hands asynchronous answers to
// their callbacks, notices a child that ended and starts it again with
// back-off (1 s, doubling to 60 s, back to 1 s once a relay said hello).
// Between attempts a ReturnWatch knocks on the machine's ssh port, so a
// machine that comes back is tried at once rather than at the next step.
//
// Requests made with request() wait for their answer (bounded by the
// timeout), handling whatever else arrives meanwhile. Failure is a state
// with a message, never an exception: the machine's node shows it.
#pragma once

#include "platform/ipc/RelayProtocol.h"
#include "platform/ipc/ReturnWatch.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace ravelin::ipc {

class RelayLink {
public:
    enum class State { Connecting, Connected, Failed };
    using Clock = std::chrono::steady_clock;
    using Callback = std::function<void(RelayStatus, std::string_view result)>;

    static constexpr std::chrono::seconds kFirstRetry{1};
    static constexpr std::chrono::seconds kLastRetry{60};

    explicit RelayLink(std::vector<std::string> command);
    ~RelayLink();
    RelayLink(const RelayLink&) = delete;
    RelayLink& operator=(const RelayLink&) = delete;

    // Starts the child now (also ahead of a pending retry).
    void start();
    // Ends the child and stays down until start().
    void stop();
    // Reads what arrived, runs callbacks, restarts a failed link when its
    // retry is due.
    void poll();

    State state() const { return m_state; }
    // Why the link is down (with ssh's own words), or empty.
    const std::string& message() const { return m_message; }
    // Counts the connections made, so whatever was learned over an earlier
    // one can be told apart.
    std::uint64_t generation() const { return m_generation; }
    Clock::time_point nextRetry() const { return m_retryAt; }
    std::chrono::seconds retryDelay() const { return m_delay; }
    const std::vector<std::string>& command() const { return m_command; }
    // Attempts made ahead of the back-off because the machine's ssh port
    // answered again.
    std::uint64_t earlyStarts() const { return m_earlyStarts; }

    // One request; the answer's status and result, or nullopt when the link
    // is down or the answer did not come within the timeout.
    struct Answer {
        RelayStatus status = RelayStatus::Failed;
        std::string result;
    };
    std::optional<Answer> request(RelayOp op, std::string_view arguments);
    // A request whose answer (and, for a subscription, every push) goes to
    // `callback`; 0 when the link is down. A link that goes down drops it
    // without a call.
    std::uint32_t requestAsync(RelayOp op, std::string_view arguments, Callback callback);
    void forget(std::uint32_t tag);
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // What ssh's words on stderr and its exit status mean for an operator.
    static std::string explain(const std::string& stderrText, int exitStatus, bool saidHello);

private:
    void fail(std::string message);
    bool readSome(int waitMs);
    void handleFrame(std::string_view payload);
    void drainStderr();
    bool sendFrame(const std::string& frame);

    std::vector<std::string> m_command;
    State m_state = State::Failed;
    std::string m_message;
    pid_t m_pid = -1;
    int m_in = -1; // the child's stdin
    int m_out = -1; // its stdout
    int m_err = -1; // its stderr
    std::string m_received;
    std::size_t m_used = 0; // the frames of m_received already taken
    int m_handling = 0; // frames being handled (a callback may read on)
    std::string m_stderr;
    bool m_saidHello = false;
    bool m_stopped = true;
    std::uint64_t m_generation = 0;
    std::uint32_t m_nextTag = 1;
    std::map<std::uint32_t, Callback> m_async;
    std::set<std::uint32_t> m_lasting; // subscriptions: answered more than once
    std::map<std::uint32_t, std::optional<Answer>> m_waiting;
    std::chrono::seconds m_delay = kFirstRetry;
    Clock::time_point m_retryAt{};
    std::chrono::milliseconds m_timeout{15000};
    ReturnWatch m_watch;
    std::uint64_t m_earlyStarts = 0;
};

// The ssh command for a machine. `target` is user@host or a host alias.
std::vector<std::string> sshRelayCommand(const std::string& target, int port, const std::string& identity,
                                         const std::string& sshConfig);

} // namespace ravelin::ipc
