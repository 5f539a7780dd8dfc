// A small read-only web server: it answers GET requests by asking a handler
// for the page of a path; every other method is refused by the server
// itself, and requests are bounded in size and time. On Linux it is Qt's
// HTTP server module (qt/QtHttpServer).
#pragma once

#include <functional>
#include <string>

namespace ravelin {

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
};

class HttpServer {
public:
    // The path without its query ("/player") and the raw query ("id=3").
    using Handler = std::function<HttpResponse(const std::string& path, const std::string& query)>;

    virtual ~HttpServer() = default;
    // Stops any earlier listener, then listens on the address and port (0:
    // any free port). Returns "" when listening, otherwise why not.
    virtual std::string listen(const std::string& address, int port, Handler handler) = 0;
    virtual void close() = 0;
    // The port listened on, 0 when closed.
    virtual int port() const = 0;
};

} // namespace ravelin
