#include "consolehost/ClientCommands.h"

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "platform/ipc/IpcWindowManager.h"

#include <chrono>
#include <cstdlib>
#include <ostream>

namespace ravelin::consolehost {

namespace {

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
           "       ravelin-console list          (HANDLE, visible|hidden, host name; or HANDLE, not responding)\n"
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
    // Nothing to run between steps; the probe's waits sleep.
    NullMessageLoop loop;
    ConsoleBridge bridge(windows, loop);
    CvarProbe probe(bridge);

    if (command == "list") {
        if (args.size() != 1)
            return usage(err);
        auto consoles = windows.listConsoles();
        if (!windows.lastError().empty()) {
            err << "ravelin-console: " << windows.lastError() << "\n";
            return 1;
        }
        for (auto [console, responding] : consoles) {
            if (!responding) {
                out << console << "\tnot responding\n";
                continue;
            }
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
        if (windows.notResponding(console)) {
            err << "ravelin-console: console " << console << " is not responding\n";
            return 1;
        }
        if (!windows.lastError().empty())
            err << "ravelin-console: " << windows.lastError() << "\n";
        err << "ravelin-console: no console window with handle " << console << " (see ravelin-console list)\n";
        return 1;
    }

    if (command == "send") {
        if (args.size() < 3)
            return usage(err);
        std::string line = args[2];
        for (std::size_t i = 3; i < args.size(); ++i)
            line += " " + args[i];
        // A busy host (a server reading one line per frame behind a
        // backlog) may answer slowly; a person or a script at the command
        // line can wait, and must hear when the line did not arrive.
        windows.setTimeout(std::chrono::seconds(10));
        const std::size_t before = windows.unansweredRequests();
        bridge.SendConsoleCommandTo(line, console);
        if (windows.unansweredRequests() != before) {
            err << "ravelin-console: the line did not reach console " << console << "\n";
            return 1;
        }
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
