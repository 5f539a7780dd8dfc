#include "platform/qt/QtUdpSocket.h"

#include "platform/qt/QtText.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace ravelin {

QtUdpSocket::QtUdpSocket(QObject* parent) : QObject(parent), m_socket(new QUdpSocket(this))
{
    connect(m_socket, &QUdpSocket::readyRead, this, &QtUdpSocket::readPending);
}

QtUdpSocket::~QtUdpSocket() = default;

// IPv4 only: the server is asked on 127.0.0.1, and a second program on the
// same port must make this bind fail rather than share it.
bool QtUdpSocket::bind(int localPort)
{
    if (bound() || localPort < 0 || localPort > 65535)
        return false;
    return m_socket->bind(QHostAddress::AnyIPv4, static_cast<quint16>(localPort), QUdpSocket::DontShareAddress);
}

bool QtUdpSocket::bound() const { return m_socket->state() == QAbstractSocket::BoundState; }

int QtUdpSocket::localPort() const { return m_socket->localPort(); }

bool QtUdpSocket::sendTo(std::string_view host, int port, std::string_view data)
{
    if (port <= 0 || port > 65535)
        return false;
    QHostAddress address;
    const QString name = latin1(host);
    if (name.compare("localhost", Qt::CaseInsensitive) == 0 || !address.setAddress(name))
        address = QHostAddress(QHostAddress::LocalHost);
    const qint64 written =
        m_socket->writeDatagram(data.data(), static_cast<qint64>(data.size()), address, static_cast<quint16>(port));
    return written == static_cast<qint64>(data.size());
}

void QtUdpSocket::readPending()
{
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!m_receiver)
            continue;
        const QByteArray bytes = datagram.data();
        const QHostAddress sender = datagram.senderAddress();
        bool isV4 = false;
        const quint32 v4 = sender.toIPv4Address(&isV4);
        Datagram d;
        d.data.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        d.senderAddress = sender.toString().toStdString();
        d.fromLoopback = sender.isLoopback() || (isV4 && (v4 >> 24) == 127);
        d.senderPort = datagram.senderPort();
        m_receiver(d);
    }
}

} // namespace ravelin
