// The console bridge: drives a server console window the way an operator
// would. It finds the window and its two edit boxes, types a command into the
// input line and presses Enter, reads the whole output box, clicks "Clear" and
// shows or hides the window. It keeps no state but two handles; every
// operation looks the windows up again, so a console that closes or restarts
// is simply not found, and nothing here ever raises or shows a message.
//
// Several operations yield to the message loop part-way (six times between
// typing a command and pressing Enter), so timers and events run inside them.
#pragma once

#include "platform/MessageLoop.h"
#include "platform/WindowManager.h"

#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

inline constexpr const char* kConsoleClass = "Q3 WinConsole";
inline constexpr const char* kConsoleTitle = "Quake 3 Console";

// What a server printed in answer to one command, and only that.
struct CommandOutput {
    bool ok = false;
    std::vector<std::string> lines;
    std::string error;
};

class ConsoleBridge {
public:
    static constexpr int kFindRetries = 10000;
    static constexpr int kOutputWalkLimit = 4000;
    static constexpr int kOutputWalkLimitOf = 10000;
    static constexpr int kYieldsBeforeEnter = 6;

    ConsoleBridge(WindowManager& windows, MessageLoop& loop) : m_windows(windows), m_loop(loop) {}

    WindowManager& windows() { return m_windows; }
    MessageLoop& loop() { return m_loop; }

    // The console the operator chose; when set it is used for everything,
    // without checking that the window still exists.
    WindowHandle SelectedConsole() const { return m_selected; }
    void setSelectedConsole(WindowHandle console) { m_selected = console; }
    // Cache of the window found by class and title; written only by
    // FindConsoleWindow and never validated.
    WindowHandle LastFoundConsole() const { return m_lastFound; }

    WindowHandle FindConsoleWindow();
    WindowHandle FindChildByClass(WindowHandle parent, std::string_view className);
    WindowHandle FindChildByCaption(WindowHandle parent, std::string_view caption);
    std::string WindowClassName(WindowHandle window);
    std::string WindowCaption(WindowHandle window);
    std::string ReadEditText(WindowHandle window);

    WindowHandle FindInputBox();
    WindowHandle FindInputBoxOf(WindowHandle console);
    WindowHandle FindOutputBox();
    WindowHandle FindOutputBoxOf(WindowHandle console);

    std::string ReadConsoleOutput();
    std::string ReadConsoleOutputOf(WindowHandle console);
    int ConsoleLineCount();
    int ConsoleLineCountOf(WindowHandle console);
    // The line count of an output box already found.
    int OutputLineCount(WindowHandle outputBox);
    // The n-th complete line (from 1); empty when there is no such line.
    std::string ConsoleLineOf(int n, WindowHandle console);

    void SendConsoleCommand(std::string_view command);
    void SendConsoleCommandTo(std::string_view command, WindowHandle console);
    void ConsoleSay(std::string_view text);
    void ClickButton(WindowHandle button);
    void ClearConsoleWindow();
    void ShowConsole(bool visible);
    void ShowConsoleOf(bool visible, WindowHandle console);

    // Runs `command` on the console for its output alone: the lines the
    // server printed for it, which reach no display, script or other client.
    // Waits on the message loop, at most about `timeoutMs` for the server to
    // take the command and finish its output; `ok` false with `error` when
    // the console is gone or the server did not answer in time.
    CommandOutput ExecCommand(WindowHandle console, std::string_view command, int timeoutMs);
    static constexpr int kExecTimeoutMs = 5000;

private:
    WindowHandle walkToOutputBox(WindowHandle input, int limit);
    void typeAndEnter(WindowHandle console, WindowHandle box, std::string_view command);

    WindowManager& m_windows;
    MessageLoop& m_loop;
    WindowHandle m_selected = 0;
    WindowHandle m_lastFound = 0;
};

} // namespace ravelin
