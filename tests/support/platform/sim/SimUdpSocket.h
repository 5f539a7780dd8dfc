// A UDP socket for logic tests: records what is sent, lets the test hand in
// datagrams from any sender, and can pretend that some local ports are
// taken.
#pragma once

#include "platform/UdpSocket.h"

#include <set>
#include <string>
#include <vector>

namespace ravelin::sim {

class SimUdpSocket final : public UdpSocket {
public:
    struct Sent {
        std::string host;
        int port = 0;
        std::string data;
    };

    std::set<int> takenPorts;
    std::vector<Sent> sent;
    std::vector<int> bindAttempts;

    bool bind(int localPort) override
    {
        bindAttempts.push_back(localPort);
        if (m_port != 0 || takenPorts.count(localPort) > 0)
            return false;
        m_port = localPort != 0 ? localPort : 40000 + static_cast<int>(bindAttempts.size());
        return true;
    }
    bool bound() const override { return m_port != 0; }
    int localPort() const override { return m_port; }
    bool sendTo(std::string_view host, int port, std::string_view data) override
    {
        if (port <= 0 || port > 65535)
            return false;
        sent.push_back({std::string(host), port, std::string(data)});
        return true;
    }
    void setReceiver(Receiver receiver) override { m_receiver = std::move(receiver); }

    // A datagram from 127.0.0.1 (or elsewhere) and the given port arrives.
    void deliver(std::string data, int senderPort, bool fromLoopback = true)
    {
        if (m_receiver)
            m_receiver(Datagram{std::move(data), fromLoopback ? "127.0.0.1" : "192.0.2.7", fromLoopback, senderPort});
    }

private:
    int m_port = 0;
    Receiver m_receiver;
};

} // namespace ravelin::sim
