// ravelin-console: a server's console window (`ravelin-console [--headless]
// [--keep] [--restart on-crash|always|never] -- SERVER ARGS...`), and a command-line client over running
// consoles (`list`, `send`, `read`, `cvar`, `show`, `hide`, `clear`, `restart`, `stop`), and
// `ravelin-console relay`, the far end of Ravelin's ssh link to this machine.
#include "consolehost/ClientCommands.h"
#include "consolehost/ConsoleHost.h"
#include "consolehost/HostHandover.h"
#include "consolehost/Relay.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

using namespace ravelin::consolehost;

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("ravelin-console %s\n", RAVELIN_VERSION_TEXT);
        return 0;
    }
    // A host asks this of a new self before it replaces itself onto a
    // display: a refused connection ends this check, not the host.
    if (args.size() == 1 && args[0] == "--check-display") {
        QApplication check(argc, argv);
        return 0;
    }
    if (args.size() == 1 && args[0] == "relay")
        return runRelay(0, 1);
    if (!args.empty() && isClientCommand(args[0]))
        return runClientCommand(args, std::cout, std::cerr);

    HostOptions options;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--") {
            ++i;
            break;
        }
        if (args[i] == "--headless")
            options.headless = true;
        else if (args[i] == "--keep")
            options.keep = true;
        else if (args[i] == "--restart" && i + 1 < args.size()) {
            auto mode = parseRestartMode(args[++i]);
            if (!mode) {
                std::fprintf(stderr, "ravelin-console: --restart takes on-crash, always or never\n");
                return 2;
            }
            options.restart = *mode;
        } else if (args[i] == "--keep-mb" && i + 1 < args.size()) {
            char* end = nullptr;
            long mb = std::strtol(args[++i].c_str(), &end, 10);
            if (*end != '\0' || mb < 1 || mb > 4096) {
                std::fprintf(stderr, "ravelin-console: --keep-mb takes a number of MiB from 1 to 4096\n");
                return 2;
            }
            options.keepBytes = static_cast<std::size_t>(mb) * 1024 * 1024;
        } else if (args[i] == "--adopt" && i + 1 < args.size())
            options.adoptFd = std::atoi(args[++i].c_str());
        else if (args[i] == "--help" || args[i] == "-h") {
            runClientCommand({}, std::cout, std::cout); // prints the usage
            return 0;
        } else {
            std::fprintf(stderr, "ravelin-console: unknown option %s\n", args[i].c_str());
            return runClientCommand({}, std::cout, std::cerr);
        }
    }
    options.command.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    if (options.command.empty() && options.adoptFd < 0) {
        std::fprintf(stderr, "ravelin-console: no server command given (put it after --)\n");
        return runClientCommand({}, std::cout, std::cerr);
    }
    if (!options.headless && !displayAvailable())
        options.headless = true;
    // A display that refuses us would end this process inside Qt before the
    // server started (or, from a service, keep the server from starting).
    if (!options.headless && options.adoptFd < 0) {
        std::string display = displayToCheck();
        const char* authority = std::getenv("XAUTHORITY");
        if (!display.empty() && !displayOpens(display, authority ? authority : "")) {
            options.headless = true;
            options.refusedDisplay = display;
        }
    }

    std::unique_ptr<QCoreApplication> app;
    if (options.headless) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        // The window system's class name for our window.
        QCoreApplication::setApplicationName(QStringLiteral("Q3 WinConsole"));
        auto gui = std::make_unique<QApplication>(argc, argv);
        gui->setQuitOnLastWindowClosed(false);
        app = std::move(gui);
    }
    ConsoleHost host(options);
    if (!host.start())
        return host.exitStatus();
    return app->exec();
}
