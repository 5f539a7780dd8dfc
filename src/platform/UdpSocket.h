// A UDP socket for the out-of-band status query. Datagrams are bytes; the
// arrival of each one is reported on the user-interface thread with the
// address and port it came from, so the caller can tell the server's replies
// from anybody else's.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ravelin {

struct Datagram {
    std::string data;
    std::string senderAddress;
    bool fromLoopback = false;
    int senderPort = 0;
};

class UdpSocket {
public:
    using Receiver = std::function<void(const Datagram&)>;

    virtual ~UdpSocket() = default;

    // Binds to the local port (0: any free port); false when it cannot be
    // bound, for example because another program holds it.
    virtual bool bind(int localPort) = 0;
    virtual bool bound() const = 0;
    virtual int localPort() const = 0;
    // Sends one datagram; false when it could not be sent. Nothing waits for
    // an answer.
    virtual bool sendTo(std::string_view host, int port, std::string_view data) = 0;
    // Called for every datagram that arrives.
    virtual void setReceiver(Receiver receiver) = 0;
};

} // namespace ravelin
