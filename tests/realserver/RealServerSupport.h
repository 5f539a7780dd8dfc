// What the tests on Debian's OpenArena server share: where the server is,
// how it is started and waited for.
#pragma once

#include "console/ConsoleBridge.h"
#include "integration/ConsoleHostProcess.h"
#include "support/UdpQuery.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace ravelin::test {

inline constexpr const char* kOpenArenaServer = "/usr/games/openarena-server";

// Whether the server is installed; when not, says so the way CTest output
// shows a skipped test (the caller skips).
inline bool openArenaInstalled()
{
    if (::access(kOpenArenaServer, X_OK) == 0)
        return true;
    std::printf("SKIPPED: openarena-server not installed (%s)\n", kOpenArenaServer);
    return false;
}

// The server as a dedicated console server on map oa_dm1, on UDP `port`
// (0: a port of its own choosing), writing under `home`, with these further
// arguments (`+set NAME VALUE` ...).
inline std::vector<std::string> openArenaCommand(const std::filesystem::path& home, int port,
                                                 const std::vector<std::string>& more = {})
{
    std::vector<std::string> command{kOpenArenaServer, "+set", "ttycon", "0",        "+set",
                                     "dedicated",      "1",    "+set",   "net_port", std::to_string(port)};
    command.insert(command.end(), more.begin(), more.end());
    for (const std::string& word :
         {std::string("+set"), std::string("fs_homepath"), home.string(), std::string("+map"), std::string("oa_dm1")})
        command.push_back(word);
    return command;
}

// Starts the server in `host` (see openArenaCommand) and waits until its map
// runs.
inline bool startOpenArena(ConsoleHostProcess& host, ConsoleBridge& bridge, const std::filesystem::path& home, int port,
                           const std::vector<std::string>& more = {})
{
    return host.start(openArenaCommand(home, port, more))
        && waitFor([&] { return bridge.ReadConsoleOutputOf(host.handle()).find("InitGame:") != std::string::npos; },
                   std::chrono::seconds(60));
}

} // namespace ravelin::test
