#include "consolehost/ClientCommands.h"

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "platform/ipc/IpcWindowManager.h"

#include "platform/ipc/IpcProtocol.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ostream>
#include <poll.h>
#include <unistd.h>

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
    err << "usage: ravelin-console [--headless] [--keep] [--keep-mb N] [--restart on-crash|always|never]\n"
           "                       -- SERVER-COMMAND [ARGS...]\n"
           "       ravelin-console list [-v]     (HANDLE, visible|hidden, state, host name; or HANDLE, not "
           "responding)\n"
           "       ravelin-console send HANDLE LINE...\n"
           "       ravelin-console read HANDLE   (the window's text)\n"
           "       ravelin-console read HANDLE [--since N] [--follow] [--numbers]   (numbered lines)\n"
           "       ravelin-console exec HANDLE COMMAND...   (only what the server printed for it)\n"
           "       ravelin-console cvar HANDLE NAME [--default]\n"
           "       ravelin-console show|hide|clear HANDLE\n"
           "       ravelin-console restart|stop HANDLE   (start the server again now; end it without a restart)\n"
           "       ravelin-console relay   (serves this user's consoles on stdin/stdout to a Ravelin on another\n"
           "                               machine; ssh runs it there, see README)\n";
    return 2;
}

bool parseNumber(const std::string& text, std::uint64_t& number)
{
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    number = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0;
}

// Prints numbered lines; a piece of a longer line runs on into the next.
void printLines(const LineBatch& batch, bool numbers, std::ostream& out)
{
    std::uint64_t number = batch.first;
    for (const NumberedLine& line : batch.lines) {
        if (numbers)
            out << number << (line.continues ? "+\t" : "\t");
        out << line.text;
        if (!line.continues || numbers)
            out << '\n';
        ++number;
    }
}

void sayMissed(const LineBatch& batch, std::ostream& err)
{
    if (batch.missed > 0)
        err << "ravelin-console: " << batch.missed << " lines had already left the console's ring\n";
}

// Reads one pushed frame from a subscription; false when it ended.
bool readPushed(int fd, LineBatch& batch)
{
    std::string received;
    std::size_t wanted = ipc::kFrameHeader;
    char buffer[65536];
    while (received.size() < wanted) {
        ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, wanted - received.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, -1);
            continue;
        }
        if (n <= 0)
            return false;
        received.append(buffer, static_cast<std::size_t>(n));
        if (wanted == ipc::kFrameHeader && received.size() >= ipc::kFrameHeader) {
            std::uint32_t length = ipc::frameLength(received);
            if (length == 0 || length > ipc::kMaxAnswerPayload)
                return false;
            wanted += length;
        }
    }
    ipc::PayloadReader reader(std::string_view(received).substr(ipc::kFrameHeader));
    if (reader.u8() != 0)
        return false;
    batch = ipc::decodeBatch(reader);
    return batch.ok;
}

// The words after the console's handle, as one command line.
std::string commandLineOf(const std::vector<std::string>& args)
{
    std::string line = args[2];
    for (std::size_t i = 3; i < args.size(); ++i)
        line += " " + args[i];
    return line;
}

int readNumbered(ipc::IpcWindowManager& windows, WindowHandle console, const std::vector<std::string>& args,
                 std::ostream& out, std::ostream& err)
{
    std::uint64_t after = 0;
    bool follow = false;
    bool numbers = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--since" && i + 1 < args.size()) {
            if (!parseNumber(args[++i], after)) {
                err << "ravelin-console: --since takes a line number: " << args[i] << "\n";
                return 2;
            }
        } else if (args[i] == "--follow") {
            follow = true;
        } else if (args[i] == "--numbers") {
            numbers = true;
        } else {
            return usage(err);
        }
    }
    if (follow) {
        int fd = windows.subscribe(console, after);
        if (fd < 0) {
            err << "ravelin-console: console " << console << " does not offer numbered lines\n";
            return 1;
        }
        LineBatch batch;
        while (readPushed(fd, batch)) {
            sayMissed(batch, err);
            printLines(batch, numbers, out);
            out.flush();
        }
        ::close(fd);
        err << "ravelin-console: console " << console << " is gone\n";
        return 1;
    }
    for (;;) {
        LineBatch batch = windows.readLines(console, after, 1024 * 1024);
        if (!batch.ok) {
            err << "ravelin-console: console " << console << " does not offer numbered lines\n";
            return 1;
        }
        sayMissed(batch, err);
        printLines(batch, numbers, out);
        if (batch.lines.empty())
            return 0;
        after = batch.first + batch.lines.size() - 1;
    }
}

} // namespace

bool isClientCommand(const std::string& word)
{
    for (const char* command : {"list", "send", "read", "exec", "cvar", "show", "hide", "clear", "restart", "stop"}) {
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
        bool verbose = args.size() == 2 && args[1] == "-v";
        if (args.size() != 1 && !verbose)
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
            auto supervision = windows.supervise(console);
            // A server that is not running cannot be asked its name.
            bool running = !supervision.ok || supervision.state == ipc::ServerState::Running;
            std::string hostname = running ? probe.GetCvarValue(console, "sv_hostname") : std::string();
            // The name goes last: it may hold anything.
            out << console << '\t' << (visible ? "visible" : "hidden") << '\t';
            if (supervision.ok)
                out << supervision.text << '\t';
            out << hostname << '\n';
            if (verbose) {
                std::string stats = windows.stats(console);
                if (!stats.empty())
                    out << "  " << stats << '\n';
            }
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

    if (command == "restart" || command == "stop") {
        if (args.size() != 2)
            return usage(err);
        windows.setTimeout(std::chrono::seconds(10));
        auto supervision = windows.supervise(
            console, command == "restart" ? ipc::SuperviseAction::Restart : ipc::SuperviseAction::Stop);
        if (!supervision.ok) {
            err << "ravelin-console: console " << console << " does not supervise its server\n";
            return 1;
        }
        return 0;
    }
    // Commands for the server fail when it is not there to take them.
    if (command == "send" || command == "exec" || command == "cvar") {
        auto supervision = windows.supervise(console);
        if (supervision.ok && supervision.state != ipc::ServerState::Running) {
            err << "ravelin-console: the server of console " << console << " is not running (" << supervision.text
                << ")\n";
            return 1;
        }
    }

    if (command == "send") {
        if (args.size() < 3)
            return usage(err);
        const std::string line = commandLineOf(args);
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
        if (args.size() > 2)
            return readNumbered(windows, console, args, out, err);
        out << bridge.ReadConsoleOutputOf(console);
        return 0;
    }
    if (command == "exec") {
        if (args.size() < 3)
            return usage(err);
        const std::string line = commandLineOf(args);
        windows.setTimeout(std::chrono::seconds(10));
        CommandOutput output = bridge.ExecCommand(console, line, 10000);
        if (!output.ok) {
            err << "ravelin-console: " << output.error << "\n";
            return 1;
        }
        for (const std::string& printed : output.lines)
            out << printed << '\n';
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
