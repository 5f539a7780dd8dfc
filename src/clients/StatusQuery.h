// The UDP status query: the server's port (ServerPort, refreshed from the
// console's net_port), the socket the query goes out on, and the player
// lines of the last reply (StatusPlayers).
//
// The socket is bound to local port 27999 on the first query; when another
// program holds that port any free port is taken instead, so replies still
// arrive. Only a datagram from the loopback address and ServerPort is taken
// as a reply: anybody else on the machine or the network could otherwise
// fill the roster.
#pragma once

#include "console/CvarProbe.h"
#include "platform/UdpSocket.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ravelin {

class StatusQuery {
public:
    static constexpr int kLocalPort = 27999;
    static constexpr const char* kHost = "127.0.0.1";

    // `socket` may be null: queries then go nowhere, as with an unreachable server.
    StatusQuery(ConsoleBridge& bridge, CvarProbe& probe, UdpSocket* socket);
    ~StatusQuery();
    StatusQuery(const StatusQuery&) = delete;
    StatusQuery& operator=(const StatusQuery&) = delete;

    int32_t ServerPort() const { return m_serverPort; }
    void setServerPort(int32_t port) { m_serverPort = port; }
    // Reads net_port from the console; a value that is not a whole number
    // keeps the port as it was.
    void UpdateServerPort();
    void SendStatusQuery();
    const std::vector<std::string>& StatusPlayers() const { return m_statusPlayers; }

    // Runs after each accepted status reply has replaced StatusPlayers.
    void setOnReply(std::function<void()> onReply) { m_onReply = std::move(onReply); }
    // The arrival of one datagram (wsClient's data-arrival event).
    void ReadStatusReply(const Datagram& datagram);

    // The text of a cvar answer as a port, or false.
    static bool portFromText(const std::string& text, int32_t& port);

private:
    void takeReply(const std::string& data);

    ConsoleBridge& m_bridge;
    CvarProbe& m_probe;
    UdpSocket* m_socket;
    int32_t m_serverPort = 0;
    std::vector<std::string> m_statusPlayers;
    std::function<void()> m_onReply;
    // Answers from a relay arrive later; one that outlives this query finds it gone.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace ravelin
