#include "q3sim/Failures.h"

#include "q3sim/CommandText.h"
#include "q3sim/Server.h"

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

namespace q3sim {

void crashNow(int signalNumber, int status)
{
    if (signalNumber == 0)
        std::_Exit(status);
    // A test crash leaves no core file behind.
    rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    std::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
    std::_Exit(128 + signalNumber);
}

void hangNow()
{
    for (;;)
        ::pause();
}

void Server::commandFailure(const std::vector<std::string>& args)
{
    const std::string command = args[0];
    // A server hangs in play, not before it ever answered: the next status
    // query is answered first, so a watcher has seen it alive.
    if (command == "sim_hang") {
        m_hangAfterAnswer = true;
        return;
    }
    if (command == "sim_crash") {
        if (args.size() >= 3 && args[1] == "exit")
            crashNow(0, std::atoi(args[2].c_str()));
        int number = args.size() >= 2 ? std::atoi(args[1].c_str()) : SIGSEGV;
        crashNow(number > 0 && number < 65 ? number : SIGSEGV);
    }
    // An error inside a map (the engine's ERR_DROP): it says so, shuts the
    // map down and goes on running with none loaded and nobody connected.
    std::string message = args.size() >= 2
        ? joinArgs(args)
        : "CM_LoadMap: maps/" + m_cvars.value("mapname") + ".bsp has wrong version number (47 should be 46)";
    print("********************");
    print("ERROR: " + message);
    print("********************");
    if (!m_mapRunning)
        return;
    print(m_ioq3 ? "----- Server Shutdown (Server crashed: " + message + ") -----" : "----- Server Shutdown -----");
    print("==== ShutdownGame ====");
    print("---------------------------");
    m_players.clear();
    m_mapRunning = false;
}

} // namespace q3sim
