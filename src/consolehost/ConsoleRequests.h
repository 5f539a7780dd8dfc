// Answers protocol requests (platform/ipc/IpcProtocol.h) against a console
// window's model: decodes one request payload, applies it, encodes the
// answer. It owns no socket; the endpoint server hands it payloads.
#pragma once

#include "consolehost/ConsoleModel.h"
#include "platform/ipc/IpcProtocol.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace ravelin::consolehost {

struct HostFacts {
    pid_t hostPid = 0;
    pid_t serverPid = 0;
};

class ConsoleRequests {
public:
    ConsoleRequests(ConsoleModel& model, HostFacts facts) : m_model(model), m_facts(facts) {}
    void setServerPid(pid_t pid) { m_facts.serverPid = pid; }
    // Called when a client asks to show the window and names its display
    // and the XAUTHORITY it uses, if any (the host may have lost its own).
    using ShowOnDisplay = std::function<void(const std::string& display, const std::string& authority)>;
    void setShowOnDisplay(ShowOnDisplay handler) { m_showOnDisplay = std::move(handler); }

    // A connection asks for new lines to be pushed to it from `after` on.
    using Subscribe = std::function<void(std::uint64_t from, std::uint64_t after)>;
    void setSubscribe(Subscribe handler) { m_subscribe = std::move(handler); }
    // Answers Supervise: runs the action, then says the server's state.
    struct Supervision {
        ipc::ServerState state = ipc::ServerState::Running;
        std::uint32_t starts = 1;
        std::string text;
    };
    void setSupervise(std::function<Supervision(ipc::SuperviseAction)> handler) { m_supervise = std::move(handler); }
    // What the host adds to the Stats answer (its subscribers).
    void setStatsExtra(std::function<std::string()> extra) { m_statsExtra = std::move(extra); }

    // Most text one ReadLines answer carries.
    static constexpr std::size_t kMaxReadBytes = 512 * 1024;

    // The answer payload (unframed). `closeAfter` is set when the request
    // was malformed: the connection is then closed once the answer is out.
    // `from` names the connection (0: one that is not told apart).
    std::string answer(std::string_view request, bool& closeAfter, std::uint64_t from = 0);
    // The connection is gone: what it typed and did not enter goes too.
    void forget(std::uint64_t from);

    static std::string malformed(std::string_view why);

private:
    std::string execResult(std::uint64_t id, std::uint64_t from);

    struct ExecOwner {
        std::uint64_t from = 0;
        std::chrono::steady_clock::time_point deadline;
    };
    ConsoleModel& m_model;
    Subscribe m_subscribe;
    std::function<std::string()> m_statsExtra;
    std::function<Supervision(ipc::SuperviseAction)> m_supervise;
    std::map<std::uint64_t, ExecOwner> m_execs;
    HostFacts m_facts;
    ShowOnDisplay m_showOnDisplay;
    // The input line as each connection last left it. A client types a line
    // in steps (set the text, then Enter); when two clients type at once the
    // one that presses Enter gets its own line, not the other's.
    std::map<std::uint64_t, std::string> m_typed;
};

} // namespace ravelin::consolehost
