// `ravelin-console relay`: the far end of a connection from another machine
// (ssh runs it with its stdin and stdout as the link). It answers the relay
// protocol (platform/ipc/RelayProtocol.h) for every console of its user on
// this machine and does nothing else: no command is run, no file is opened
// but a server's cvar dump, and the status query goes to the server's own
// port on this machine's loopback.
//
// RelayService holds the request handling, free of any I/O on the link, so
// a test or a fuzzer can hand it payloads; runRelay drives it over two file
// descriptors until the link closes.
#pragma once

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "platform/ipc/IpcWindowManager.h"
#include "platform/ipc/RelayProtocol.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct pollfd;

namespace ravelin::consolehost {

class RelayService {
public:
    static constexpr std::chrono::milliseconds kStatusWait{1000};
    static constexpr std::size_t kMaxDumpBytes = 1024 * 1024;

    explicit RelayService(ipc::IpcWindowManager& windows);
    ~RelayService();
    RelayService(const RelayService&) = delete;
    RelayService& operator=(const RelayService&) = delete;

    // The frame the relay opens the link with.
    static std::string hello();
    // Handles one request payload, appending whole answer frames to `out`.
    // False when the request was malformed: the link is then closed.
    bool handle(std::string_view request, std::string& out);

    // Descriptors the service waits on (subscriptions, status queries), and
    // the handling of those that became ready or timed out.
    void addWaits(std::vector<pollfd>& waits) const;
    void serviceWaits(const std::vector<pollfd>& waits, std::string& out);
    // Milliseconds until the next status query gives up (-1: none pending).
    int nextTimeoutMs() const;

private:
    struct Subscription {
        int fd = -1;
        std::string buffer;
    };
    struct StatusWait {
        std::uint32_t tag = 0;
        int fd = -1;
        std::chrono::steady_clock::time_point deadline;
    };

    bool forward(std::uint32_t tag, WindowHandle console, std::string_view inner, std::string& out);
    void subscribe(std::uint32_t tag, WindowHandle console, std::uint64_t after, std::string& out);
    void startStatus(std::uint32_t tag, WindowHandle console, std::string& out);
    void readDump(std::uint32_t tag, WindowHandle console, const std::string& path, bool remove, std::string& out);
    bool isConsole(WindowHandle console);
    void endSubscription(std::uint32_t tag, std::string* out);

    ipc::IpcWindowManager& m_windows;
    NullMessageLoop m_loop;
    ConsoleBridge m_bridge;
    CvarProbe m_probe;
    std::map<std::uint32_t, Subscription> m_subscriptions;
    std::vector<StatusWait> m_statusWaits;
    // Where each console's server may write its cvar dump, and when that was asked.
    static constexpr std::chrono::seconds kFoldersAge{5};
    std::map<WindowHandle, std::pair<std::chrono::steady_clock::time_point, std::vector<std::filesystem::path>>>
        m_dumpFolders;
};

// Answer frames, shared by the service and its tests.
std::string relayAnswer(std::uint32_t tag, ipc::RelayStatus status, std::string_view result = {});

// Serves the link on `in`/`out` until it closes; the exit status.
int runRelay(int in, int out);

} // namespace ravelin::consolehost
