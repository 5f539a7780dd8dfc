#include "console/ConsoleBridge.h"

#include "console/ConsoleText.h"

namespace ravelin {

WindowHandle ConsoleBridge::FindConsoleWindow()
{
    if (m_selected != 0)
        return m_selected;
    WindowHandle h = m_windows.findWindow(kConsoleClass, kConsoleTitle);
    // The cached window wins as long as some console exists, so the console in
    // use does not jump to another one when several servers run.
    if (h > 0 && m_lastFound > 0)
        return m_lastFound;
    if (h > 0) {
        m_lastFound = h;
        return h;
    }
    int counter = 0;
    while (h < 1 && counter < kFindRetries) {
        h = m_windows.findWindow(kConsoleClass, kConsoleTitle);
        ++counter;
    }
    m_lastFound = counter < kFindRetries ? m_windows.findWindow(kConsoleClass, kConsoleTitle) : 0;
    return m_lastFound;
}

WindowHandle ConsoleBridge::FindChildByClass(WindowHandle parent, std::string_view className)
{
    for (WindowHandle child = m_windows.firstChild(parent); child != 0; child = m_windows.nextSibling(child)) {
        std::string name = WindowClassName(child);
        if (name.size() >= className.size() && startsWithNoCase(name, className))
            return child;
    }
    return 0;
}

WindowHandle ConsoleBridge::FindChildByCaption(WindowHandle parent, std::string_view caption)
{
    for (WindowHandle child = m_windows.firstChild(parent); child != 0; child = m_windows.nextSibling(child)) {
        if (startsWithNoCase(WindowCaption(child), caption))
            return child;
    }
    return 0;
}

std::string ConsoleBridge::WindowClassName(WindowHandle window) { return m_windows.className(window, 250); }

std::string ConsoleBridge::WindowCaption(WindowHandle window) { return m_windows.caption(window); }

std::string ConsoleBridge::ReadEditText(WindowHandle window)
{
    if (window == 0)
        return {};
    int length = m_windows.textLength(window);
    if (length <= 0)
        return {};
    return m_windows.text(window, length + 1);
}

WindowHandle ConsoleBridge::FindInputBox() { return FindInputBoxOf(FindConsoleWindow()); }

WindowHandle ConsoleBridge::FindInputBoxOf(WindowHandle console) { return FindChildByClass(console, "Edit"); }

WindowHandle ConsoleBridge::FindOutputBox() { return walkToOutputBox(FindInputBox(), kOutputWalkLimit); }

WindowHandle ConsoleBridge::FindOutputBoxOf(WindowHandle console)
{
    return walkToOutputBox(FindInputBoxOf(console), kOutputWalkLimitOf);
}

// The walk keeps asking for the next sibling even past the end (the next
// sibling of 0 is 0) until the step limit, yielding twice per step: that is
// what bounds the cost of a console without an output box. A console that is
// gone (its input line no longer there) ends the walk at once: nothing can
// be found, and thousands of yields would only stall the caller.
WindowHandle ConsoleBridge::walkToOutputBox(WindowHandle input, int limit)
{
    WindowHandle w = m_windows.nextSibling(input);
    int counter = 0;
    for (;;) {
        if (w != 0 && containsNoCase(WindowClassName(w), "Edit"))
            return w;
        if (w == 0 && (input == 0 || WindowClassName(input).empty()))
            return 0;
        m_loop.yield();
        ++counter;
        w = w != 0 ? m_windows.nextSibling(w) : 0;
        if (counter > limit)
            return 0;
        m_loop.yield();
    }
}

std::string ConsoleBridge::ReadConsoleOutput() { return ReadEditText(FindOutputBox()); }

std::string ConsoleBridge::ReadConsoleOutputOf(WindowHandle console) { return ReadEditText(FindOutputBoxOf(console)); }

// The window counts its own lines: the same count as splitting its text,
// without the text crossing over.
int ConsoleBridge::ConsoleLineCount() { return OutputLineCount(FindOutputBox()); }

int ConsoleBridge::ConsoleLineCountOf(WindowHandle console) { return OutputLineCount(FindOutputBoxOf(console)); }

int ConsoleBridge::OutputLineCount(WindowHandle outputBox)
{
    return outputBox == 0 ? -1 : m_windows.lineCount(outputBox);
}

std::string ConsoleBridge::ConsoleLineOf(int n, WindowHandle console)
{
    std::string text = ReadConsoleOutputOf(console);
    auto parts = splitConsoleText(text);
    int highest = static_cast<int>(parts.size()) - 1;
    if (n > highest || n < 1)
        return {};
    return std::string(parts[static_cast<std::size_t>(n - 1)]);
}

void ConsoleBridge::typeAndEnter(WindowHandle console, WindowHandle box, std::string_view command)
{
    m_windows.setFocus(box);
    // A console that takes a line whole gets it in one request after the
    // yields: two senders can never mix their lines, and what the operator
    // half-typed in the window stays.
    if (console > 0 && box != 0) {
        for (int i = 0; i < kYieldsBeforeEnter; ++i)
            m_loop.yield();
        if (m_windows.sendLine(console, command))
            return;
    }
    m_windows.setText(box, command);
    for (int i = 0; i < kYieldsBeforeEnter; ++i)
        m_loop.yield();
    // What ran in the yields (a timer, a script) may have typed and entered
    // a line of its own in the same box: set ours again so Enter sends it.
    if (kYieldsBeforeEnter > 0)
        m_windows.setText(box, command);
    m_windows.sendChar(box, '\r');
}

void ConsoleBridge::SendConsoleCommand(std::string_view command)
{
    WindowHandle console = FindConsoleWindow();
    typeAndEnter(console, FindInputBoxOf(console), command);
}

void ConsoleBridge::SendConsoleCommandTo(std::string_view command, WindowHandle console)
{
    typeAndEnter(console, FindInputBoxOf(console), command);
}

CommandOutput ConsoleBridge::ExecCommand(WindowHandle console, std::string_view command, int timeoutMs)
{
    CommandOutput output;
    if (console <= 0) {
        output.error = "no console";
        return output;
    }
    std::uint64_t id = m_windows.startExec(console, command, timeoutMs, output.error);
    if (id == 0)
        return output;
    // The host ends the wait itself at the timeout; the margin covers a host
    // that stopped answering altogether.
    const std::int64_t giveUpAt = m_loop.nowMs() + timeoutMs + 2000;
    for (int polls = 0;; ++polls) {
        m_loop.pause(std::chrono::milliseconds(polls < 20 ? 1 : 5));
        ExecPoll poll = m_windows.pollExec(console, id);
        if (poll.state == ExecPoll::State::Done) {
            output.ok = true;
            output.lines = std::move(poll.lines);
            return output;
        }
        if (poll.state == ExecPoll::State::Failed) {
            output.error = std::move(poll.error);
            return output;
        }
        if (m_loop.nowMs() > giveUpAt) {
            output.error = "the console did not answer in time";
            return output;
        }
    }
}

void ConsoleBridge::ConsoleSay(std::string_view text)
{
    std::string command = "Say \"";
    command += text;
    command += '"';
    SendConsoleCommand(command);
}

void ConsoleBridge::ClickButton(WindowHandle button)
{
    m_windows.leftButtonDown(button);
    m_loop.yield();
    m_windows.leftButtonUp(button);
}

void ConsoleBridge::ClearConsoleWindow()
{
    WindowHandle button = FindChildByCaption(FindConsoleWindow(), "Clear");
    m_loop.yield();
    ClickButton(button);
}

void ConsoleBridge::ShowConsole(bool visible) { ShowConsoleOf(visible, FindConsoleWindow()); }

void ConsoleBridge::ShowConsoleOf(bool visible, WindowHandle console) { m_windows.showWindow(console, visible); }

} // namespace ravelin
