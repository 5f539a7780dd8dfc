#include "console/ConsolePump.h"

#include "console/ConsoleText.h"
#include "platform/Text.h"

namespace ravelin {

namespace {

constexpr std::string_view kBeginStatus = "[BEGIN STATUS]";
constexpr std::string_view kEndStatus = "[END STATUS]";
constexpr std::string_view kProcPrefix = "Q3ARVL_";

// Marks a pass as running for as long as it lasts, however it returns, and
// hands what it has for the display over at the end.
class PassFlag {
public:
    PassFlag(bool& flag, std::function<void()> atEnd) : m_flag(flag), m_atEnd(std::move(atEnd)) { m_flag = true; }
    ~PassFlag()
    {
        m_atEnd();
        m_flag = false;
    }

private:
    bool& m_flag;
    std::function<void()> m_atEnd;
};

} // namespace

ConsolePump::ConsolePump(ConsoleBridge& bridge, ConsoleDisplay& display, const bool& unloading, ConsolePumpHooks hooks)
    : m_bridge(bridge), m_display(display), m_unloading(unloading), m_hooks(std::move(hooks))
{}

void ConsolePump::runPass()
{
    if (m_passRunning)
        return;
    PassFlag running(m_passRunning, [this] {
        flushDisplay();
        if (m_hooks.passEnded)
            m_hooks.passEnded();
    });

    if (m_unloading)
        return;
    WindowManager& windows = m_bridge.windows();
    const WindowHandle console = m_bridge.FindConsoleWindow();
    if (console != m_console) {
        m_console = console;
        m_started = false;
        m_gone = false;
        m_pieces.clear();
    }
    if (console <= 0)
        return;
    if (!m_started) {
        bool ok = false;
        std::uint64_t start = windows.tailStart(console, kFirstPassChars, ok);
        if (!ok)
            return;
        m_llc = start;
        m_started = true;
    }
    if (m_unloading)
        return;

    // Up to the newest line there is when the pass starts; later lines are
    // the next pass's.
    std::uint64_t until = 0;
    for (bool first = true;; first = false) {
        LineBatch batch = windows.readLines(console, m_llc, kReadBytes);
        if (m_unloading)
            return;
        if (!batch.ok) {
            // A console on another machine comes back with its machine's
            // link, under the same handle: the pump then carries on after
            // the last line it handled.
            if (!m_gone && windows.isRemote(console) && m_hooks.debugPrint)
                m_hooks.debugPrint("console gone");
            m_gone = true;
            return;
        }
        if (m_gone) {
            m_gone = false;
            if (windows.isRemote(console) && m_hooks.debugPrint)
                m_hooks.debugPrint("console back: following it after line " + std::to_string(m_llc));
        }
        if (first)
            until = batch.newest;
        if (batch.newest < m_llc) {
            // The numbering began again (another host behind the handle):
            // carry on from its first line.
            m_llc = 0;
            m_pieces.clear();
            return;
        }
        if (batch.missed > 0) {
            m_skipped += batch.missed;
            m_pieces.clear();
            if (m_hooks.debugPrint)
                m_hooks.debugPrint("Console: " + std::to_string(batch.missed)
                                   + " lines were skipped: the console no longer had them");
        }
        if (batch.lines.empty())
            return;
        std::uint64_t number = batch.first;
        for (NumberedLine& piece : batch.lines) {
            if (number > until)
                return;
            if (m_unloading)
                return;
            m_llc = number++;
            if (piece.continues) {
                if (m_pieces.size() < kMaxJoinedLine)
                    m_pieces += piece.text;
                continue;
            }
            if (!m_pieces.empty()) {
                piece.text.insert(0, m_pieces);
                m_pieces.clear();
            }
            handle(std::move(piece.text));
        }
        if (m_llc >= until)
            return;
    }
}

void ConsolePump::handle(std::string line)
{
    try {
        if (m_unloading)
            return;
        std::size_t begin = findNoCase(line, kBeginStatus);
        std::size_t end = findNoCase(line, kEndStatus);
        if (begin > 0) {
            m_inStatusBlock = true;
            m_statusBuffer.clear();
            line.clear();
        }
        if (m_unloading)
            return;
        if (!m_inStatusBlock) {
            // The connect checks see the line before its script procedure.
            if (m_hooks.lineSeen)
                m_hooks.lineSeen(line);
            if (m_hooks.consoleLine)
                m_hooks.consoleLine(line);
            if (m_unloading)
                return;
            dispatch(line);
        } else if (end > 0) {
            m_inStatusBlock = false;
            line.clear();
            show(" Successfull!\r\n");
            flushDisplay();
            if (m_hooks.parseStatusBlock)
                m_hooks.parseStatusBlock(m_statusBuffer);
            m_statusBuffer.clear();
        } else {
            m_statusBuffer += line;
            m_statusBuffer += "\r\n";
            show(".");
        }
    } catch (...) {
        // A failing handler costs only the rest of this line's handling.
    }
    if (m_unloading)
        return;
    if (!m_inStatusBlock) {
        line += "\r\n";
        show(line);
    }
}

std::string ConsolePump::procedureFor(std::string_view line, std::string* data)
{
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return {};
    std::string_view name = trimBlanks(line.substr(0, colon));
    if (name.size() < 3)
        return {};
    std::string proc(kProcPrefix);
    for (char c : name)
        proc += c == ' ' ? '_' : c;
    if (data)
        *data = std::string(line.substr(colon + 1));
    return proc;
}

bool ConsolePump::dispatch(const std::string& line)
{
    std::string data;
    std::string proc = procedureFor(line, &data);
    if (proc.empty())
        return false;
    if (!m_hooks.hasConsoleProc || !m_hooks.hasConsoleProc(proc))
        return false;
    // A script may yield or look at the display: it sees every line before.
    flushDisplay();
    if (m_hooks.showLastCall)
        m_hooks.showLastCall(proc, data);
    if (!m_hooks.runConsoleProc)
        return true;
    ScriptCallResult result = m_hooks.runConsoleProc(proc, data);
    if (result.failed && m_hooks.debugPrint) {
        m_hooks.debugPrint("Script Error[" + std::to_string(result.number) + "]: " + result.description);
        m_hooks.debugPrint("Error occured in [Console:" + proc + "] Data:" + data);
    }
    return true;
}

void ConsolePump::show(std::string_view text) { m_displayPending += text; }

void ConsolePump::flushDisplay()
{
    if (m_displayPending.empty())
        return;
    std::string text = std::move(m_displayPending);
    m_displayPending.clear();
    m_display.appendDisplay(text);
}

void ConsolePump::clear()
{
    m_display.setDisplayText({});
    m_bridge.ClearConsoleWindow();
}

void ConsolePump::trimDisplay()
{
    if (m_unloading)
        return;
    std::string text = m_display.displayText();
    if (text.size() > kTrimAbove)
        m_display.setDisplayText(std::string_view(text).substr(text.size() - kTrimKeep));
}

} // namespace ravelin
