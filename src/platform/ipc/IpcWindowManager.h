// The window manager over running console hosts (ravelin-console). Every
// host in the endpoint folder is one top-level window of class
// "Q3 WinConsole" with five children; this class maps each (host, child) to
// a positive handle that stays the same for the life of this process: a
// host's window gets its pid as handle (so `ravelin-console list` and `send`
// agree across processes), children and pid clashes get numbers from
// 0x40000000 up.
//
// Cheap lookups: the folder listing is cached keyed on the folder's mtime
// (re-read while the mtime is too recent to trust, since timestamps are
// coarser than the changes), and one connection per host is kept open, so a
// lookup with nothing changed costs a stat and a zero-timeout poll per host;
// within a millisecond of the last look not even that (FindConsoleWindow's
// 10000 lookups in a row then cost a clock read each).
// A socket whose owner died (connect refused) is removed when it is ours.
//
// Failure: every call is bounded by a timeout (2 s by default). A host that
// is gone, or that timed out (it is then left alone for a few seconds),
// behaves like handle 0: reads are empty, sends are lost, nothing is thrown.
// Not thread-safe: use it from one thread (the user-interface thread).
#pragma once

#include "platform/WindowManager.h"
#include "platform/ipc/IpcProtocol.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ravelin::ipc {

class IpcWindowManager final : public WindowManager {
public:
    IpcWindowManager();
    explicit IpcWindowManager(std::filesystem::path endpointFolder);
    ~IpcWindowManager() override;
    IpcWindowManager(const IpcWindowManager&) = delete;
    IpcWindowManager& operator=(const IpcWindowManager&) = delete;

    WindowHandle findWindow(std::string_view className, std::string_view title) override;
    WindowHandle findNextWindow(WindowHandle after, std::string_view title) override;
    WindowHandle firstChild(WindowHandle parent) override;
    WindowHandle nextSibling(WindowHandle window) override;
    std::string className(WindowHandle window, int capacity = 250) override;
    std::string caption(WindowHandle window) override;
    int textLength(WindowHandle window) override;
    std::string text(WindowHandle window, int capacity) override;
    void setText(WindowHandle window, std::string_view text) override;
    int lineCount(WindowHandle window) override;
    void sendChar(WindowHandle window, char character) override;
    void leftButtonDown(WindowHandle window) override;
    void leftButtonUp(WindowHandle window) override;
    void showWindow(WindowHandle window, bool visible) override;
    bool isWindowVisible(WindowHandle window) override;
    void setFocus(WindowHandle window) override;
    LineBatch readLines(WindowHandle console, std::uint64_t after, std::size_t maxBytes) override;
    std::uint64_t tailStart(WindowHandle console, std::size_t chars, bool& ok) override;
    bool sendLine(WindowHandle console, std::string_view line) override;
    std::uint64_t startExec(WindowHandle console, std::string_view command, int timeoutMs, std::string& error) override;
    ExecPoll pollExec(WindowHandle console, std::uint64_t id) override;
    ServerRun serverRun(WindowHandle console) override;

    // The host's account of its numbered lines and subscribers; empty when
    // it cannot say.
    std::string stats(WindowHandle console);
    // The state of the server a console's host supervises, after the
    // host ran `action`; ok false when the host cannot say (gone, or one
    // that predates supervision).
    struct Supervision {
        bool ok = false;
        ServerState state = ServerState::Running;
        std::uint32_t starts = 0;
        std::string text;
    };
    Supervision supervise(WindowHandle console, SuperviseAction action = SuperviseAction::Query);
    // A connection of its own to a console's host that has asked for every
    // line after `after` to be pushed (batches, IpcProtocol.h); -1 when the
    // console cannot. The caller reads frames from it and closes it.
    int subscribe(WindowHandle console, std::uint64_t after);
    // Sends one request payload (op, window, arguments) to the host of a
    // console window as it is and returns the host's whole answer (status
    // byte included); nullopt when the host did not answer. The relay's
    // way through to its consoles.
    std::optional<std::string> forward(WindowHandle console, std::string_view request);

    const std::filesystem::path& endpointFolder() const;
    // Why the last listing found nothing usable (unsafe folder, a host of
    // another user); empty when all was well.
    std::string lastError() const;
    void setTimeout(std::chrono::milliseconds timeout);
    // Requests that got no answer (no such host, timed out, refused), so
    // far: a caller that must know a step took compares it around the step.
    std::size_t unansweredRequests() const;

    // Live console windows in start order.
    std::vector<WindowHandle> consoleWindows();
    // Every console host in the endpoint folder in start order, also those
    // that do not answer (stopped or hung): they are listed, not left out.
    struct ListedConsole {
        WindowHandle handle = 0;
        bool responding = false;
    };
    std::vector<ListedConsole> listConsoles();
    // A handle whose host is there but did not answer in time.
    bool notResponding(WindowHandle window);
    // The pids of a console window's host and of the server it runs; 0 when
    // the handle is no live console window.
    int hostPid(WindowHandle window);
    int serverPid(WindowHandle window);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

std::filesystem::path defaultEndpointFolder();

} // namespace ravelin::ipc
