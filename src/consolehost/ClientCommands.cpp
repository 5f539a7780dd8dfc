#include "consolehost/ClientCommands.h"

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "platform/ipc/IpcWindowManager.h"

#include <chrono>
#include <cstdlib>
#include <ostream>
#include <thread>

namespace ravelin::consolehost {

namespace {

// The probe types the cvar name again on every attempt until the answer is
// the last line. A real server takes one piped line per frame (50 ms at 20
// frames a second), so each yield waits a little: an attempt (about twenty
// yields) then spans about a frame, and the server is not sent a backlog of
// repeated queries whose late answers would pass for the next probe's.
// Once the console is gone there is nothing to wait for: the bridge's walks
// over a missing window yield thousands of times, so sleeping stops then.
class ProbeMessageLoop final : public MessageLoop {
public:
    explicit ProbeMessageLoop(ipc::IpcWindowManager& windows) : m_windows(windows) {}
    void setConsole(WindowHandle console)
    {
        m_console = console;
        m_alive = true;
    }

    void yield() override
    {
        if (++m_yields % 64 == 0)
            m_alive = m_console != 0 && m_windows.hostPid(m_console) != 0;
        if (m_alive)
            std::this_thread::sleep_for(std::chrono::microseconds(2500));
    }

private:
    ipc::IpcWindowManager& m_windows;
    WindowHandle m_console = 0;
    bool m_alive = true;
    unsigned m_yields = 0;
};

bool parseHandle(const std::string& text, WindowHandle& handle)
{
    if (text.empty() || text.size() > 10)
        return false;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || value <= 0 || value > 0x7FFFFFFF)
        return false;
    handle = static_cast<WindowHandle>(value);
    return true;
}

int usage(std::ostream& err)
{
    err << "usage: ravelin-console [--headless] [--keep] -- SERVER-COMMAND [ARGS...]\n"
           "       ravelin-console list\n"
           "       ravelin-console send HANDLE LINE...\n"
           "       ravelin-console read HANDLE\n"
           "       ravelin-console cvar HANDLE NAME [--default]\n"
           "       ravelin-console show|hide|clear HANDLE\n";
    return 2;
}

} // namespace

bool isClientCommand(const std::string& word)
{
    for (const char* command : {"list", "send", "read", "cvar", "show", "hide", "clear"}) {
        if (word == command)
            return true;
    }
    return false;
}

int runClientCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty())
        return usage(err);
    const std::string& command = args[0];
    ipc::IpcWindowManager windows;
    ProbeMessageLoop loop(windows);
    ConsoleBridge bridge(windows, loop);
    CvarProbe probe(bridge);

    if (command == "list") {
        if (args.size() != 1)
            return usage(err);
        auto consoles = windows.consoleWindows();
        if (!windows.lastError().empty()) {
            err << "ravelin-console: " << windows.lastError() << "\n";
            return 1;
        }
        for (WindowHandle console : consoles) {
            loop.setConsole(console);
            bool visible = windows.isWindowVisible(console);
            std::string hostname = probe.GetCvarValue(console, "sv_hostname");
            out << console << '\t' << (visible ? "visible" : "hidden") << '\t' << hostname << '\n';
        }
        return 0;
    }

    if (args.size() < 2)
        return usage(err);
    WindowHandle console = 0;
    if (!parseHandle(args[1], console)) {
        err << "ravelin-console: not a console handle: " << args[1] << "\n";
        return 2;
    }
    if (windows.className(console) != kConsoleClass) {
        if (!windows.lastError().empty())
            err << "ravelin-console: " << windows.lastError() << "\n";
        err << "ravelin-console: no console window with handle " << console << " (see ravelin-console list)\n";
        return 1;
    }

    loop.setConsole(console);

    if (command == "send") {
        if (args.size() < 3)
            return usage(err);
        std::string line = args[2];
        for (std::size_t i = 3; i < args.size(); ++i)
            line += " " + args[i];
        bridge.SendConsoleCommandTo(line, console);
        return 0;
    }
    if (command == "read") {
        if (args.size() != 2)
            return usage(err);
        out << bridge.ReadConsoleOutputOf(console);
        return 0;
    }
    if (command == "cvar") {
        bool wantDefault = false;
        std::string name;
        for (std::size_t i = 2; i < args.size(); ++i) {
            if (args[i] == "--default")
                wantDefault = true;
            else if (name.empty())
                name = args[i];
            else
                return usage(err);
        }
        if (name.empty())
            return usage(err);
        out << (wantDefault ? probe.GetCvarDefault(console, name) : probe.GetCvarValue(console, name)) << '\n';
        return 0;
    }
    if (args.size() != 2)
        return usage(err);
    if (command == "show" || command == "hide") {
        bridge.ShowConsoleOf(command == "show", console);
        return 0;
    }
    if (command == "clear") {
        bridge.setSelectedConsole(console);
        bridge.ClearConsoleWindow();
        return 0;
    }
    return usage(err);
}

} // namespace ravelin::consolehost
