#include "platform/qt/QtHttpServer.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace ravelin {

namespace {

// Hands Qt's server only connections it can afford, each watched for size
// and idleness before Qt's own reader sees its bytes (our readyRead slot is
// connected first, so it runs first).
class BoundedTcpServer final : public QTcpServer {
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        if (m_open >= QtHttpServer::kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->setInterval(QtHttpServer::kIdleMilliseconds);
        connect(idle, &QTimer::timeout, socket, [socket] { socket->abort(); });
        idle->start();
        auto received = std::make_shared<qint64>(0);
        connect(socket, &QTcpSocket::readyRead, socket, [socket, idle, received] {
            idle->start();
            *received += socket->bytesAvailable();
            if (*received > QtHttpServer::kMaxBytesPerConnection) {
                // Nothing this page answers needs more; the rest is not read.
                socket->abort();
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        addPendingConnection(socket);
    }

private:
    int m_open = 0;
};

QByteArray bytes(const std::string& text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

class QtHttpServer::Server final : public QAbstractHttpServer {
public:
    explicit Server(Handler handler) : m_handler(std::move(handler)) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        QHttpServerResponder responder = makeResponder(request, socket);
        const QByteArray target = request.url().toEncoded();
        if (request.method() != QHttpServerRequest::Method::Get) {
            responder.write(QByteArray("Only GET is served.\n"), {{"Content-Type", "text/plain"}, {"Allow", "GET"}},
                            QHttpServerResponder::StatusCode::MethodNotAllowed);
            return true;
        }
        if (target.size() > kMaxTargetBytes) {
            responder.write(QByteArray("Request too long.\n"), {{"Content-Type", "text/plain"}},
                            QHttpServerResponder::StatusCode::UriTooLong);
            return true;
        }
        const QUrl url = request.url();
        const QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
        const QByteArray query = url.query(QUrl::FullyEncoded).toLatin1();
        HttpResponse answer = m_handler(path.toStdString(), query.toStdString());
        responder.write(bytes(answer.body),
                        {{"Content-Type", bytes(answer.contentType)},
                         {"Cache-Control", "no-store"},
                         {"X-Content-Type-Options", "nosniff"},
                         {"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'"}},
                        static_cast<QHttpServerResponder::StatusCode>(answer.status));
        return true;
    }

    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
    }

private:
    Handler m_handler;
};

QtHttpServer::QtHttpServer() = default;
QtHttpServer::~QtHttpServer() = default;

std::string QtHttpServer::listen(const std::string& address, int port, Handler handler)
{
    close();
    QHostAddress host;
    if (!host.setAddress(QString::fromStdString(address)))
        return "\"" + address + "\" is not an IP address.";
    auto server = std::make_unique<Server>(std::move(handler));
    auto* tcp = new BoundedTcpServer(server.get());
    if (!tcp->listen(host, static_cast<quint16>(port)))
        return "Cannot listen on " + address + " port " + std::to_string(port) + ": "
            + tcp->errorString().toStdString();
    server->bind(tcp);
    m_port = tcp->serverPort();
    m_server = std::move(server);
    return {};
}

void QtHttpServer::close()
{
    m_server.reset();
    m_port = 0;
}

int QtHttpServer::port() const { return m_port; }

} // namespace ravelin
