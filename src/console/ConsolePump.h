// The console pump: takes the server console's output as numbered lines
// (the console host keeps them, LineRing.h) and hands each new line on once,
// in order. Each line is echoed to the operator's display, checked for the
// status-block markers (the block between them is captured and handed to a
// handler instead of being shown), and dispatched to the console script
// procedure named after its prefix.
//
// A pass asks the console for the lines after the last one handled and
// handles them; `LLC` moves on with every line, so a pass cut short by the
// closing flag or a failure never handles a line twice. When the console's
// ring has moved past lines the pump never had (Ravelin stalled that long),
// the debug box says how many. The first pass on a console starts from the
// newest 32,767 characters' worth of lines, what the console window would
// have shown: an old backlog is not replayed. Clear empties the display and
// the window, not the numbered lines. The bridge and scripts yield inside a
// pass: a tick that arrives while a pass is suspended returns at once, and
// every step first checks the owner's closing flag.
#pragma once

#include "console/ConsoleBridge.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ravelin {

// The display the pump writes to (the main window's txtDisplay). Text is
// bytes with CR LF line ends; every append lands at the end of the text.
class ConsoleDisplay {
public:
    virtual ~ConsoleDisplay() = default;
    virtual void appendDisplay(std::string_view text) = 0;
    virtual std::string displayText() const = 0;
    // Replaces the whole text and leaves the caret at its end.
    virtual void setDisplayText(std::string_view text) = 0;
};

// What a console script procedure call reported.
struct ScriptCallResult {
    bool failed = false;
    long number = 0;
    std::string description;
};

// Everything the pump hands lines to; each hook may be left empty.
struct ConsolePumpHooks {
    // Receives a captured status block (CR LF after every line).
    std::function<void(const std::string& block)> parseStatusBlock;
    // True when the scripts define this console procedure (exact name).
    std::function<bool(const std::string& proc)> hasConsoleProc;
    // The procedure about to be called and its argument (txtLastProc, txtLastData).
    std::function<void(const std::string& proc, const std::string& data)> showLastCall;
    // Runs the procedure with its argument and reports (then clears) any
    // error the script raised. Empty until scripts can be run.
    std::function<ScriptCallResult(const std::string& proc, const std::string& data)> runConsoleProc;
    // Writes one line to the debug box.
    std::function<void(const std::string& text)> debugPrint;
    // Sees every line outside a status block before its script procedure
    // runs (the connect checks act at once); true when it sent a command.
    std::function<bool(const std::string& line)> lineSeen;
    // Sees every line outside a status block before its script runs (the
    // statistics).
    std::function<void(const std::string& line)> consoleLine;
    // Runs at the end of every pass, lines or none.
    std::function<void()> passEnded;
};

class ConsolePump {
public:
    static constexpr std::size_t kTrimAbove = 8192;
    static constexpr std::size_t kTrimKeep = 4096;
    // What the console window held at most: the first pass starts there.
    static constexpr std::size_t kFirstPassChars = 32767;
    // Text asked of the console per read.
    static constexpr std::size_t kReadBytes = 512 * 1024;
    // A line split into pieces is joined up to this length.
    static constexpr std::size_t kMaxJoinedLine = 1024 * 1024;

    // `unloading` is the owner's closing flag, read before every step.
    ConsolePump(ConsoleBridge& bridge, ConsoleDisplay& display, const bool& unloading, ConsolePumpHooks hooks = {});

    // One pass (the tmrConsole tick).
    void runPass();
    // Empties the display and clears the server console's window (cmdClear);
    // the numbered lines carry on where they were.
    void clear();
    // Keeps the display short: past 8192 characters only the last 4096 stay
    // (the tmrClearOut tick).
    void trimDisplay();

    // The procedure a line dispatches to, or "" when its prefix names none
    // (no colon, or a prefix shorter than three characters).
    static std::string procedureFor(std::string_view line, std::string* data = nullptr);

    // LLC: the number of the last console line handled.
    std::uint64_t LLC() const { return m_llc; }
    void setLLC(std::uint64_t llc) { m_llc = llc; }
    // Lines the console's ring lost before this pump handled them.
    std::uint64_t skippedLines() const { return m_skipped; }
    bool InStatusBlock() const { return m_inStatusBlock; }
    const std::string& StatusBuffer() const { return m_statusBuffer; }
    bool passRunning() const { return m_passRunning; }
    ConsolePumpHooks& hooks() { return m_hooks; }

private:
    // True when it handed the line to the script side (which may have run
    // anything, a yield included).
    bool dispatch(const std::string& line);
    // The display gets a pass's lines in one append (appending is what
    // costs, line by line), handed over before anything else can run: a
    // script call, the status-block handler, the end of the pass.
    void show(std::string_view text);
    void flushDisplay();
    // Handles one complete line (the pass's step 6).
    void handle(std::string line);

    ConsoleBridge& m_bridge;
    ConsoleDisplay& m_display;
    const bool& m_unloading;
    ConsolePumpHooks m_hooks;
    std::uint64_t m_llc = 0;
    std::uint64_t m_skipped = 0;
    WindowHandle m_console = 0;
    bool m_started = false;
    // The console stopped answering (a far machine's link is down).
    bool m_gone = false;
    std::string m_pieces;
    bool m_inStatusBlock = false;
    std::string m_statusBuffer;
    bool m_passRunning = false;
    std::string m_displayPending;
};

} // namespace ravelin
