// The read-only web server over Qt's HTTP server module. Qt parses the
// requests; this class answers GET through the handler and refuses every
// other method with 405. Qt 6.4's server buffers whatever a client sends, so
// the listening socket is our own: it caps the connections open at once,
// the bytes one connection may send and the time it may stay idle, and
// drops a connection past any of them.
#pragma once

#include "platform/HttpServer.h"

#include <memory>

namespace ravelin {

class QtHttpServer final : public HttpServer {
public:
    static constexpr int kMaxConnections = 32;
    static constexpr long long kMaxBytesPerConnection = 64 * 1024;
    static constexpr int kIdleMilliseconds = 15000;
    static constexpr int kMaxTargetBytes = 2048;

    QtHttpServer();
    ~QtHttpServer() override;

    std::string listen(const std::string& address, int port, Handler handler) override;
    void close() override;
    int port() const override;

private:
    class Server;
    std::unique_ptr<Server> m_server;
    int m_port = 0;
};

} // namespace ravelin
