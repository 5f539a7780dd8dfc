// The status query's socket over QUdpSocket: every pending datagram is read
// when readyRead fires on the user-interface thread and handed on with its
// sender.
#pragma once

#include "platform/UdpSocket.h"

#include <QObject>

class QUdpSocket;

namespace ravelin {

class QtUdpSocket final : public QObject, public UdpSocket {
public:
    explicit QtUdpSocket(QObject* parent = nullptr);
    ~QtUdpSocket() override;

    bool bind(int localPort) override;
    bool bound() const override;
    int localPort() const override;
    bool sendTo(std::string_view host, int port, std::string_view data) override;
    void setReceiver(Receiver receiver) override { m_receiver = std::move(receiver); }

private:
    void readPending();

    QUdpSocket* m_socket;
    Receiver m_receiver;
};

} // namespace ravelin
