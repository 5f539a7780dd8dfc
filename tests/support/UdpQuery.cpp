#include "support/UdpQuery.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ravelin::test {

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

std::string udpQuery(int port, const std::string& datagram, std::chrono::milliseconds timeout)
{
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    const sockaddr_in address = loopback(port);
    std::string reply;
    if (::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address)
        == static_cast<ssize_t>(datagram.size())) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(timeout.count())) > 0) {
            char buffer[65536];
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n > 0)
                reply.assign(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return reply;
}

int freeUdpPort()
{
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace ravelin::test
