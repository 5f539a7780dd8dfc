// What the tests on Debian's OpenArena server share: where the server is,
// how it is started, and a free UDP port to give it.
#pragma once

#include <arpa/inet.h>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

// A UDP port nobody uses right now.
inline int freeUdpPort()
{
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace ravelin::test
