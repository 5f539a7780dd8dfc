// An in-process desktop for tests: top-level windows with class, caption,
// visibility and ordered children, plus ready-made server consoles with the
// anatomy of the real console window (input line, copy/clear/quit buttons,
// output box). A console hands each entered line to a pluggable server
// behaviour, so the bridge and the cvar probe can be tested against answers,
// silence, slow answers and errors without any process. Every window-manager
// call is counted so tests can check retry limits.
#pragma once

#include "platform/MessageLoop.h"
#include "platform/WindowManager.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ravelin::sim {

class SimDesktop;

struct SimConsoleOptions {
    bool withOutputBox = true;
    // Extra non-edit children placed between the input line and the output
    // box, to make the output-box walk take more steps.
    int extraButtonsBeforeOutput = 0;
    // Numbered lines, lines sent whole and commands run for their output, as
    // a console host offers them; off: only the window operations.
    bool numberedLines = true;
};

// A server console on the simulated desktop.
class SimConsole {
public:
    // Called with each line the operator (or the bridge) enters.
    using Server = std::function<void(SimConsole&, const std::string& line)>;

    WindowHandle handle() const { return m_window; }
    WindowHandle inputBox() const { return m_input; }
    WindowHandle outputBox() const { return m_output; }

    void setServer(Server server) { m_server = std::move(server); }
    // Appends server output, turning LF into CR LF as the real window does.
    void print(const std::string& text);
    // Appends raw text without any translation.
    void appendRaw(const std::string& text);
    void setOutput(const std::string& text);
    std::string output() const;
    // Every line entered so far, in order.
    const std::vector<std::string>& entered() const { return m_entered; }
    // The numbered lines printed so far (a box replaced or cleared keeps them).
    LineRing& ring() { return m_ring; }

private:
    friend class SimDesktop;
    SimConsole(SimDesktop& desktop) : m_desktop(desktop) {}
    void enter(const std::string& line);

    SimDesktop& m_desktop;
    WindowHandle m_window = 0;
    WindowHandle m_input = 0;
    WindowHandle m_output = 0;
    WindowHandle m_clear = 0;
    Server m_server;
    bool m_numbered = true;
    LineRing m_ring;
    LineAssembler m_assembler;
    // While a command runs for its output, what the server prints goes here.
    std::vector<std::string>* m_capture = nullptr;
    std::string m_capturePartial;
    std::vector<std::string> m_entered;
};

struct SimCallCounts {
    int findWindow = 0;
    int textReads = 0;
    int lineCounts = 0;
    int sendChar = 0;
    int buttonDown = 0;
    int buttonUp = 0;
};

class SimDesktop final : public WindowManager {
public:
    SimDesktop();
    ~SimDesktop() override;

    WindowHandle addWindow(const std::string& className, const std::string& caption);
    WindowHandle addChild(WindowHandle parent, const std::string& className, const std::string& caption);
    SimConsole& addConsole(const SimConsoleOptions& options = {});
    // Removes a window with its children; its handle then refers to nothing.
    void closeWindow(WindowHandle window);
    bool exists(WindowHandle window) const;
    std::string textOf(WindowHandle window) const;
    WindowHandle focused() const { return m_focus; }

    SimCallCounts& calls() { return m_calls; }

    WindowHandle findWindow(std::string_view className, std::string_view title) override;
    WindowHandle findNextWindow(WindowHandle after, std::string_view title) override;
    WindowHandle firstChild(WindowHandle parent) override;
    WindowHandle nextSibling(WindowHandle window) override;
    std::string className(WindowHandle window, int capacity) override;
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
    // The simulated server answers within the call, so a command's output
    // is complete when startExec returns; pollExec hands it over.
    std::uint64_t startExec(WindowHandle console, std::string_view command, int timeoutMs, std::string& error) override;
    ExecPoll pollExec(WindowHandle console, std::uint64_t id) override;

private:
    friend class SimConsole;
    struct Window {
        WindowHandle parent = 0;
        std::string className;
        std::string text;
        bool visible = true;
        bool pressed = false;
        std::vector<WindowHandle> children;
        SimConsole* console = nullptr; // set on a console's top-level window
    };
    Window* find(WindowHandle window);
    const Window* find(WindowHandle window) const;
    SimConsole* consoleOwning(WindowHandle child);

    WindowHandle m_next = 0x100;
    std::map<WindowHandle, Window> m_windows;
    std::vector<WindowHandle> m_topLevel; // in creation order
    std::vector<std::unique_ptr<SimConsole>> m_consoles;
    WindowHandle m_focus = 0;
    SimCallCounts m_calls;
    SimConsole* numberedConsole(WindowHandle console);
    std::map<std::uint64_t, std::pair<WindowHandle, std::vector<std::string>>> m_execs;
    std::uint64_t m_lastExec = 0;
};

// A message loop whose yields run queued work: tests use it to let a server
// answer only after a number of yields, or to run a "timer" mid-operation.
// Its clock runs kMsPerYield simulated milliseconds per yield, so waits
// measured in time are deterministic.
class SimMessageLoop final : public MessageLoop {
public:
    static constexpr int kMsPerYield = 10;
    void yield() override;
    std::int64_t nowMs() override { return std::int64_t(m_yields) * kMsPerYield; }
    int yields() const { return m_yields; }
    // Runs `task` at the yield numbered `afterYields` from now (1 = next).
    void post(int afterYields, std::function<void()> task);
    // Runs `task` on every yield until it returns false.
    void onEveryYield(std::function<bool()> task) { m_everyYield.push_back(std::move(task)); }

private:
    int m_yields = 0;
    std::multimap<int, std::function<void()>> m_queue;
    std::vector<std::function<bool()>> m_everyYield;
};

} // namespace ravelin::sim
