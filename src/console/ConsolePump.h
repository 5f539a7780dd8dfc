// The console pump: turns the server console's ever-growing output box into
// a stream of complete lines. Each new line is echoed to the operator's
// display, checked for the status-block markers (the block between them is
// captured and handed to a handler instead of being shown), and dispatched
// to the console script procedure named after its prefix.
//
// A pass finds the output box and reads its text once, then has the box
// count its lines again before every line it handles (the window answers
// the count without sending its text), so a console cleared or replaced mid-pass is noticed (the
// next pass then starts from the new text's first line). Lines that arrive
// while a pass runs are left for the next pass, never skipped. The
// bridge yields inside those reads: timers and clicks run in the middle of a
// pass. A tick that arrives while a pass is suspended returns at once (a
// nested pass would handle the same lines twice, since the handled-line count
// is only updated at the end), and every step first checks the owner's
// closing flag so a closing window stops a suspended pass promptly.
#pragma once

#include "console/ConsoleBridge.h"

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
    // Sees every line outside a status block before its script runs.
    std::function<void(const std::string& line)> consoleLine;
    // Runs at the end of every pass, lines or none.
    std::function<void()> passEnded;
};

class ConsolePump {
public:
    static constexpr std::size_t kTrimAbove = 8192;
    static constexpr std::size_t kTrimKeep = 4096;

    // `unloading` is the owner's closing flag, read before every step.
    ConsolePump(ConsoleBridge& bridge, ConsoleDisplay& display, const bool& unloading, ConsolePumpHooks hooks = {});

    // One pass (the tmrConsole tick).
    void runPass();
    // Empties the display, forgets the handled lines and clears the server
    // console (cmdClear).
    void clear();
    // Keeps the display short: past 8192 characters only the last 4096 stay
    // (the tmrClearOut tick).
    void trimDisplay();

    // The procedure a line dispatches to, or "" when its prefix names none
    // (no colon, or a prefix shorter than three characters).
    static std::string procedureFor(std::string_view line, std::string* data = nullptr);

    int LLC() const { return m_llc; }
    void setLLC(int llc) { m_llc = llc; }
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

    ConsoleBridge& m_bridge;
    ConsoleDisplay& m_display;
    const bool& m_unloading;
    ConsolePumpHooks m_hooks;
    int m_llc = 0;
    bool m_inStatusBlock = false;
    std::string m_statusBuffer;
    bool m_passRunning = false;
    std::string m_displayPending;
};

} // namespace ravelin
