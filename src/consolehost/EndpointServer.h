// The host's end of the console protocol: a listening Unix socket in the
// endpoint folder and the connections of its clients. Nothing here blocks:
// sockets are non-blocking, each connection keeps its own input and output
// buffers, and the owner's event loop reports readiness (readable/writable),
// so a slow or stuck client never holds up the server's console I/O.
// Peers of another user id are refused; a frame announcing more than the
// request limit, or one the handler finds malformed, is answered with an
// error and the connection is closed. Nobody can lock the host up: at the
// connection cap the longest-idle connection makes room for a new one,
// idle connections time out, a client's unread answers are capped (past the
// cap it is dropped), and an endpoint removed from under the host (folder or
// socket deleted) is made again by restore(). Plain POSIX; the Qt side only
// watches descriptors for it and calls the periodic checks.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace ravelin::consolehost {

class EndpointServer {
public:
    static constexpr std::size_t kMaxClients = 128;
    // A client that lets this much of its answers pile up is dropped (a
    // client that reads its answers never has more than one waiting, and
    // the largest answer, a command's output, stays below it).
    static constexpr std::size_t kMaxPendingAnswers = 1536 * 1024;
    static constexpr std::chrono::seconds kIdleTimeout{60};
    using Clock = std::chrono::steady_clock;

    // Each connection has its own number, never reused while the host runs.
    using Connection = std::uint64_t;
    using Handler = std::function<std::string(Connection from, std::string_view payload, bool& closeAfter)>;
    // Asked to watch a descriptor for reading and/or writing; `forget` when
    // it is closed.
    struct Watcher {
        std::function<void(int fd, bool read, bool write)> watch;
        std::function<void(int fd)> forget;
        // Told when a connection is gone (optional).
        std::function<void(Connection)> closed = {};
        // A connection sent everything it had waiting (optional).
        std::function<void(Connection)> drained = {};
    };

    EndpointServer(Handler handler, Watcher watcher);
    ~EndpointServer();
    EndpointServer(const EndpointServer&) = delete;
    EndpointServer& operator=(const EndpointServer&) = delete;

    bool start(const std::filesystem::path& folder, const std::string& name, std::string& error);
    // Serves a listening socket this process opened before it replaced
    // itself (exec).
    void adopt(int listenFd, const std::filesystem::path& folder, const std::string& name);
    int listenFd() const { return m_listen; }
    const std::filesystem::path& folder() const { return m_folder; }
    const std::string& name() const { return m_name; }
    // Closes every connection and removes the endpoint.
    void stop();

    const std::filesystem::path& path() const { return m_path; }
    std::size_t clientCount() const { return m_clients.size(); }

    // Drops connections that asked nothing for kIdleTimeout.
    void expireIdle(Clock::time_point now = Clock::now());
    // Makes the endpoint again when its socket (or the whole folder) was
    // removed; false with `error` set when that fails (tried again later).
    bool restore(std::string& error);

    // Sends a frame a connection did not ask for (pushed lines); false when
    // the connection is gone.
    bool push(Connection id, std::string_view payload);
    // Bytes waiting to go out to a connection (0 when it is gone).
    std::size_t pending(Connection id) const;
    // A connection that waits for pushes is not idle.
    void keepAlive(Connection id);
    void close(Connection id);

    void readable(int fd);
    void writable(int fd);

private:
    struct Client {
        Connection id = 0;
        std::string in;
        std::string out;
        bool closing = false;
        bool keptAlive = false;
        Clock::time_point lastActive;
    };
    bool listen(std::string& error);
    bool evictIdlest();
    void acceptAll();
    void serve(int fd, Client& client);
    void flush(int fd, Client& client);
    void drop(int fd);
    void refuse(int fd, std::string_view why);
    int fdOf(Connection id) const;

    Handler m_handler;
    Watcher m_watcher;
    int m_listen = -1;
    std::filesystem::path m_folder;
    std::string m_name;
    std::filesystem::path m_path;
    ino_t m_inode = 0;
    bool m_stopped = false;
    std::map<int, Client> m_clients;
    Connection m_lastConnection = 0;
};

} // namespace ravelin::consolehost
