// Answers protocol requests (platform/ipc/IpcProtocol.h) against a console
// window's model: decodes one request payload, applies it, encodes the
// answer. It owns no socket; the endpoint server hands it payloads.
#pragma once

#include "consolehost/ConsoleModel.h"

#include <functional>
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
    // (the host may have lost its own).
    void setShowOnDisplay(std::function<void(const std::string& display)> handler) { m_showOnDisplay = std::move(handler); }

    // The answer payload (unframed). `closeAfter` is set when the request
    // was malformed: the connection is then closed once the answer is out.
    std::string answer(std::string_view request, bool& closeAfter);

    static std::string malformed(std::string_view why);

private:
    ConsoleModel& m_model;
    HostFacts m_facts;
    std::function<void(const std::string& display)> m_showOnDisplay;
};

} // namespace ravelin::consolehost
