#include "consolehost/EndpointServer.h"

#include "consolehost/ConsoleRequests.h"
#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/IpcProtocol.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <vector>
#include <unistd.h>

namespace ravelin::consolehost {

using namespace ravelin::ipc;

EndpointServer::EndpointServer(Handler handler, Watcher watcher)
    : m_handler(std::move(handler)), m_watcher(std::move(watcher))
{}

EndpointServer::~EndpointServer() { stop(); }

bool EndpointServer::start(const std::filesystem::path& folder, const std::string& name, std::string& error)
{
    m_folder = folder;
    m_name = name;
    m_path = folder / name;
    return listen(error);
}

void EndpointServer::adopt(int listenFd, const std::filesystem::path& folder, const std::string& name)
{
    m_folder = folder;
    m_name = name;
    m_path = folder / name;
    m_listen = listenFd;
    ::fcntl(m_listen, F_SETFD, FD_CLOEXEC);
    struct stat st {};
    m_inode = ::lstat(m_path.c_str(), &st) == 0 ? st.st_ino : 0;
    m_watcher.watch(m_listen, true, false);
}

bool EndpointServer::listen(std::string& error)
{
    m_listen = listenEndpoint(m_folder, m_name, error);
    if (m_listen < 0)
        return false;
    struct stat st {};
    m_inode = ::lstat(m_path.c_str(), &st) == 0 ? st.st_ino : 0;
    m_watcher.watch(m_listen, true, false);
    return true;
}

bool EndpointServer::restore(std::string& error)
{
    if (m_stopped)
        return true;
    struct stat st {};
    if (m_listen >= 0 && ::lstat(m_path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == m_inode)
        return true;
    // Gone (or replaced): listen again under the same name. Connections
    // already open stay as they are.
    if (std::string problem = prepareEndpointFolder(m_folder); !problem.empty()) {
        error = problem;
        return false;
    }
    if (m_listen >= 0) {
        m_watcher.forget(m_listen);
        ::close(m_listen);
        m_listen = -1;
    }
    if (::lstat(m_path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid())
        ::unlink(m_path.c_str());
    return listen(error);
}

void EndpointServer::expireIdle(Clock::time_point now)
{
    std::vector<int> idle;
    for (const auto& [fd, client] : m_clients) {
        if (!client.keptAlive && client.in.empty() && client.out.empty() && now - client.lastActive > kIdleTimeout)
            idle.push_back(fd);
    }
    for (int fd : idle)
        drop(fd);
}

bool EndpointServer::evictIdlest()
{
    int idlest = -1;
    Clock::time_point oldest = Clock::time_point::max();
    for (const auto& [fd, client] : m_clients) {
        if (client.in.empty() && client.out.empty() && client.lastActive < oldest) {
            oldest = client.lastActive;
            idlest = fd;
        }
    }
    if (idlest < 0)
        return false;
    drop(idlest);
    return true;
}

void EndpointServer::stop()
{
    m_stopped = true;
    while (!m_clients.empty())
        drop(m_clients.begin()->first);
    if (m_listen >= 0) {
        m_watcher.forget(m_listen);
        ::close(m_listen);
        m_listen = -1;
        ::unlink(m_path.c_str());
    }
}

int EndpointServer::fdOf(Connection id) const
{
    for (const auto& [fd, client] : m_clients) {
        if (client.id == id)
            return fd;
    }
    return -1;
}

bool EndpointServer::push(Connection id, std::string_view payload)
{
    int fd = fdOf(id);
    if (fd < 0)
        return false;
    Client& client = m_clients[fd];
    bool idle = client.out.empty();
    client.out += frame(payload);
    if (idle)
        flush(fd, client);
    return m_clients.contains(fd);
}

std::size_t EndpointServer::pending(Connection id) const
{
    int fd = fdOf(id);
    return fd < 0 ? 0 : m_clients.at(fd).out.size();
}

void EndpointServer::keepAlive(Connection id)
{
    if (int fd = fdOf(id); fd >= 0)
        m_clients[fd].keptAlive = true;
}

void EndpointServer::close(Connection id)
{
    if (int fd = fdOf(id); fd >= 0)
        drop(fd);
}

void EndpointServer::readable(int fd)
{
    if (fd == m_listen) {
        acceptAll();
        return;
    }
    auto it = m_clients.find(fd);
    if (it == m_clients.end())
        return;
    Client& client = it->second;
    client.lastActive = Clock::now();
    char buffer[65536];
    // A bounded number of reads per wake-up: a client that never stops
    // sending must not starve the server's output (the notifier fires again).
    for (int reads = 0; reads < 16; ++reads) {
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            if (!client.closing)
                client.in.append(buffer, static_cast<std::size_t>(n));
            // Serve as we go so one client's burst stays bounded in memory.
            if (client.in.size() >= kFrameHeader + kMaxRequestPayload) {
                serve(fd, client);
                if (!m_clients.contains(fd))
                    return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        drop(fd); // closed by the client, or failed
        return;
    }
    serve(fd, client);
    if (m_clients.contains(fd))
        flush(fd, client);
}

void EndpointServer::writable(int fd)
{
    auto it = m_clients.find(fd);
    if (it != m_clients.end())
        flush(fd, it->second);
}

void EndpointServer::acceptAll()
{
    for (;;) {
        int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return; // EAGAIN: all taken; anything else: try at the next wake-up
        if (peerUid(fd) != static_cast<long>(::geteuid())) {
            refuse(fd, "refused: the console belongs to another user");
            continue;
        }
        // A crowd of idle connections must not lock out a new one.
        if (m_clients.size() >= kMaxClients && !evictIdlest()) {
            refuse(fd, "refused: too many clients");
            continue;
        }
        m_clients[fd] = Client{};
        m_clients[fd].id = ++m_lastConnection;
        m_clients[fd].lastActive = Clock::now();
        m_watcher.watch(fd, true, false);
    }
}

void EndpointServer::refuse(int fd, std::string_view why)
{
    std::string answer = PayloadWriter().u8(static_cast<std::uint8_t>(Status::Refused)).raw(why).frame();
    // Best effort: the refused peer gets a reason if its buffer has room.
    [[maybe_unused]] ssize_t ignored = ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::close(fd);
}

void EndpointServer::serve(int fd, Client& client)
{
    std::size_t used = 0;
    while (!client.closing && client.in.size() - used >= kFrameHeader) {
        std::uint32_t length = frameLength(std::string_view(client.in).substr(used, kFrameHeader));
        if (length > kMaxRequestPayload || length == 0) {
            client.out += frame(ConsoleRequests::malformed(
                length == 0 ? "empty request" : "request too large (" + std::to_string(length) + " bytes)"));
            client.closing = true;
            break;
        }
        if (client.in.size() - used < kFrameHeader + length)
            break;
        bool closeAfter = false;
        std::string answer =
            m_handler(client.id, std::string_view(client.in).substr(used + kFrameHeader, length), closeAfter);
        client.out += frame(answer);
        used += kFrameHeader + length;
        // Answers nobody reads: the client goes before they eat the host.
        if (client.out.size() > kMaxPendingAnswers) {
            drop(fd);
            return;
        }
        if (closeAfter)
            client.closing = true;
        if (!m_clients.contains(fd))
            return;
    }
    if (client.closing)
        client.in.clear();
    else
        client.in.erase(0, used);
}

void EndpointServer::flush(int fd, Client& client)
{
    while (!client.out.empty()) {
        ssize_t n = ::send(fd, client.out.data(), client.out.size(), MSG_NOSIGNAL);
        if (n > 0) {
            client.out.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            m_watcher.watch(fd, !client.closing, true);
            return;
        }
        drop(fd);
        return;
    }
    if (client.closing) {
        drop(fd);
        return;
    }
    m_watcher.watch(fd, true, false);
    if (m_watcher.drained)
        m_watcher.drained(client.id);
}

void EndpointServer::drop(int fd)
{
    m_watcher.forget(fd);
    ::close(fd);
    const auto it = m_clients.find(fd);
    if (it == m_clients.end())
        return;
    const Connection id = it->second.id;
    m_clients.erase(it);
    if (m_watcher.closed)
        m_watcher.closed(id);
}

} // namespace ravelin::consolehost
