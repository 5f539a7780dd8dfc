// Failures that leave the server process running, seen by its console host:
// an error inside a map (the engine's ERR_DROP prints a line of stars, then
// "ERROR: ..." and shuts the map down, and goes on with no map loaded), and
// a hung server that stops answering status queries. Exit codes show
// neither; the host is the one that sees every line and owns the process,
// also when no Ravelin runs (a service), so it watches here.
//
// Plain C++: output lines and the query round go in, a failure text comes
// out; the caller owns the clock (milliseconds) and the UDP socket.
//
// A map drop counts only when no map was loaded within a short grace after
// it (an operator's map command may follow). Status queries count as missed
// only once the server has loaded a map or answered one since its start or
// its last shutdown: a server without a map (started without one, or after killserver)
// answers nothing, and is not hung.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace ravelin::consolehost {

class FailureWatch {
public:
    static constexpr int kQueryEveryMs = 2000;
    static constexpr int kMissesForHang = 3;
    static constexpr int kMapGraceMs = 2000;
    // How long the latest query waits for its answer before it is missed.
    static constexpr int kAnswerWaitMs = 1000;
    // A server loading a map answers nothing until it is done; on a slow
    // disk a big map takes many seconds, and killing it there would only
    // start the same load again. Silence counts once the load has had this
    // long (or once it answered).
    static constexpr int kLoadGraceMs = 30000;

    // The server (re)started: nothing seen yet.
    void started();
    void outputLine(std::string_view line, std::int64_t nowMs);
    // A status query goes out now (every kQueryEveryMs); an earlier one
    // still unanswered is a miss.
    void querySent(std::int64_t nowMs);
    void answered();
    // The failure seen by `nowMs`, as the console line names it ("lost its
    // map (ERROR: ...)"); empty while all is well.
    std::string failure(std::int64_t nowMs) const;

private:
    bool m_afterStars = false;
    std::optional<std::int64_t> m_dropAt;
    std::optional<std::int64_t> m_loadingSince; // a map load began, no answer since
    std::string m_dropMessage;
    bool m_armed = false; // answered since its start or its last map
    bool m_pending = false;
    int m_missed = 0;
    std::int64_t m_sentAt = 0;
};

// The UDP sockets a process has bound, as IPv4 address (host order; 0 for
// any) and port, read from /proc; empty when they cannot be read.
struct BoundPort {
    std::uint32_t address = 0;
    int port = 0;
};
std::vector<BoundPort> udpPortsOf(pid_t pid);

} // namespace ravelin::consolehost
