// The host's end of the console protocol: a listening Unix socket in the
// endpoint folder and the connections of its clients. Nothing here blocks:
// sockets are non-blocking, each connection keeps its own input and output
// buffers, and the owner's event loop reports readiness (readable/writable),
// so a slow or stuck client never holds up the server's console I/O.
// Peers of another user id are refused; a frame announcing more than the
// request limit, or one the handler finds malformed, is answered with an
// error and the connection is closed. Plain POSIX; the Qt side only watches
// descriptors for it.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace ravelin::consolehost {

class EndpointServer {
public:
    static constexpr std::size_t kMaxClients = 128;
    // A client that lets this much of its answers pile up is dropped.
    static constexpr std::size_t kMaxPendingAnswers = 8 * 1024 * 1024;

    using Handler = std::function<std::string(std::string_view payload, bool& closeAfter)>;
    // Asked to watch a descriptor for reading and/or writing; `forget` when
    // it is closed.
    struct Watcher {
        std::function<void(int fd, bool read, bool write)> watch;
        std::function<void(int fd)> forget;
    };

    EndpointServer(Handler handler, Watcher watcher);
    ~EndpointServer();
    EndpointServer(const EndpointServer&) = delete;
    EndpointServer& operator=(const EndpointServer&) = delete;

    bool start(const std::filesystem::path& folder, const std::string& name, std::string& error);
    // Closes every connection and removes the endpoint.
    void stop();

    const std::filesystem::path& path() const { return m_path; }
    std::size_t clientCount() const { return m_clients.size(); }

    void readable(int fd);
    void writable(int fd);

private:
    struct Client {
        std::string in;
        std::string out;
        bool closing = false;
    };
    void acceptAll();
    void serve(int fd, Client& client);
    void flush(int fd, Client& client);
    void drop(int fd);
    void refuse(int fd, std::string_view why);

    Handler m_handler;
    Watcher m_watcher;
    int m_listen = -1;
    std::filesystem::path m_path;
    std::map<int, Client> m_clients;
};

} // namespace ravelin::consolehost
