// The window manager Ravelin runs on: this machine's consoles (an
// IpcWindowManager) and, after them, the consoles of every machine reached
// through a relay (RelayLink), in the order the machines were added. A
// console on another machine gets a handle of its own from 0x20000000 up,
// kept for the life of this process: when its machine's link drops and comes
// back, the same console has the same handle, so whatever follows it (the
// pump, at its line number) carries on where it stopped.
//
// While a machine is down its consoles are not enumerated and behave like a
// console that is gone: reads are empty, sends are lost, nothing is raised.
// Show, hide and focus act only on this machine's desktop: a far console
// stays as it is.
#pragma once

#include "platform/ipc/IpcWindowManager.h"
#include "platform/ipc/RelayLink.h"

#include <memory>
#include <string>
#include <vector>

namespace ravelin::ipc {

class MachineWindowManager final : public WindowManager {
public:
    explicit MachineWindowManager(IpcWindowManager& local);
    ~MachineWindowManager() override;

    IpcWindowManager& local() { return m_local; }

    // A machine by the name the settings give it, reached by `command` (the
    // ssh command, or in tests the relay itself). Its link starts at once.
    void addMachine(const std::string& name, std::vector<std::string> command);
    void removeMachine(const std::string& name);
    std::vector<std::string> machineNames() const;
    // The link of a machine, or null.
    RelayLink* link(const std::string& name);
    // Reads what the links brought and restarts those whose retry is due;
    // the owner calls it from a timer.
    void pollMachines();
    // The consoles of one machine as it lists them now (title checked).
    std::vector<WindowHandle> consolesOf(const std::string& name);
    // The machine a handle belongs to; empty for this machine's own.
    std::string machineOf(WindowHandle window) const;

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
    bool isRemote(WindowHandle console) override;
    bool queryStatus(WindowHandle console, std::function<void(const std::string& reply)> onReply) override;
    std::optional<std::string> readServerFile(WindowHandle console, const std::string& path, bool remove) override;

private:
    struct Impl;
    IpcWindowManager& m_local;
    std::unique_ptr<Impl> d;
};

} // namespace ravelin::ipc
