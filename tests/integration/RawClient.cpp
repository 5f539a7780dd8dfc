// Speaks the console protocol by hand for the security tests: connects to
// one endpoint, asks Describe, and says what happened.
//   ipc_raw_client SOCKET-PATH
// prints one of: answered / refused: WHY / closed / connect-failed: WHY
#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/IpcProtocol.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

using namespace ravelin::ipc;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ipc_raw_client SOCKET-PATH\n");
        return 2;
    }
    std::filesystem::path path = argv[1];
    int fd = connectEndpoint(path.parent_path(), path.filename().string());
    if (fd < 0) {
        std::printf("connect-failed: %s\n", std::strerror(errno));
        return 5;
    }
    std::string request = PayloadWriter().u8(static_cast<std::uint8_t>(Op::Describe)).u8(0).frame();
    [[maybe_unused]] ssize_t sent = ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string received;
    char buffer[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 3000) <= 0)
            break;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        received.append(buffer, static_cast<std::size_t>(n));
        if (received.size() >= 4 && received.size() >= 4 + frameLength(received))
            break;
    }
    ::close(fd);
    if (received.size() < 5) {
        std::printf("closed\n");
        return 4;
    }
    auto status = static_cast<Status>(static_cast<unsigned char>(received[4]));
    if (status == Status::Refused) {
        std::printf("refused: %s\n", received.substr(5).c_str());
        return 3;
    }
    std::printf("answered\n");
    return 0;
}
