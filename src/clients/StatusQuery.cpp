#include "clients/StatusQuery.h"

#include "clients/PlayerText.h"
#include "clients/StatusReply.h"

namespace ravelin {

StatusQuery::StatusQuery(ConsoleBridge& bridge, CvarProbe& probe, UdpSocket* socket)
    : m_bridge(bridge), m_probe(probe), m_socket(socket)
{
    if (m_socket)
        m_socket->setReceiver([this](const Datagram& d) { ReadStatusReply(d); });
}

StatusQuery::~StatusQuery()
{
    if (m_socket)
        m_socket->setReceiver({});
}

bool StatusQuery::portFromText(const std::string& text, int32_t& port)
{
    std::string_view digits = trimBlanks(text);
    if (digits.empty() || digits.size() > 9)
        return false;
    int32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    port = value;
    return true;
}

void StatusQuery::UpdateServerPort()
{
    const std::string value = m_probe.GetCvarValue(m_bridge.FindConsoleWindow(), "net_port");
    int32_t port = 0;
    if (portFromText(value, port))
        m_serverPort = port;
}

void StatusQuery::SendStatusQuery()
{
    // A server on another machine is asked by its relay, on that machine's
    // loopback; the reply comes back over the link.
    const WindowHandle console = m_bridge.FindConsoleWindow();
    if (m_bridge.windows().isRemote(console)) {
        std::weak_ptr<int> alive = m_alive;
        m_bridge.windows().queryStatus(console, [this, alive](const std::string& reply) {
            if (!alive.expired() && !reply.empty())
                takeReply(reply);
        });
        return;
    }
    if (!m_socket)
        return;
    if (!m_socket->bound() && !m_socket->bind(kLocalPort))
        m_socket->bind(0);
    m_socket->sendTo(kHost, m_serverPort, StatusQueryDatagram());
}

void StatusQuery::ReadStatusReply(const Datagram& datagram)
{
    if (!datagram.fromLoopback || datagram.senderPort != m_serverPort || m_serverPort == 0)
        return;
    takeReply(datagram.data);
}

void StatusQuery::takeReply(const std::string& data)
{
    if (IsStatusReply(data))
        m_statusPlayers = ParseStatusReply(data);
    if (m_onReply)
        m_onReply();
}

} // namespace ravelin
