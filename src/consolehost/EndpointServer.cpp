#include "consolehost/EndpointServer.h"

#include "consolehost/ConsoleRequests.h"
#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/IpcProtocol.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace ravelin::consolehost {

using namespace ravelin::ipc;

EndpointServer::EndpointServer(Handler handler, Watcher watcher)
    : m_handler(std::move(handler)), m_watcher(std::move(watcher))
{
}

EndpointServer::~EndpointServer() { stop(); }

bool EndpointServer::start(const std::filesystem::path& folder, const std::string& name, std::string& error)
{
    m_listen = listenEndpoint(folder, name, error);
    if (m_listen < 0)
        return false;
    m_path = folder / name;
    m_watcher.watch(m_listen, true, false);
    return true;
}

void EndpointServer::stop()
{
    while (!m_clients.empty())
        drop(m_clients.begin()->first);
    if (m_listen >= 0) {
        m_watcher.forget(m_listen);
        ::close(m_listen);
        m_listen = -1;
        ::unlink(m_path.c_str());
    }
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
        if (m_clients.size() >= kMaxClients) {
            refuse(fd, "refused: too many clients");
            continue;
        }
        m_clients[fd] = Client {};
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
            client.out += frame(ConsoleRequests::malformed(length == 0 ? "empty request"
                                                                       : "request too large (" + std::to_string(length) +
                                                                             " bytes)"));
            client.closing = true;
            break;
        }
        if (client.in.size() - used < kFrameHeader + length)
            break;
        bool closeAfter = false;
        std::string answer = m_handler(std::string_view(client.in).substr(used + kFrameHeader, length), closeAfter);
        client.out += frame(answer);
        used += kFrameHeader + length;
        if (closeAfter)
            client.closing = true;
        if (!m_clients.contains(fd))
            return;
    }
    if (client.closing)
        client.in.clear();
    else
        client.in.erase(0, used);
    if (client.out.size() > kMaxPendingAnswers)
        drop(fd);
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
}

void EndpointServer::drop(int fd)
{
    m_watcher.forget(fd);
    ::close(fd);
    m_clients.erase(fd);
}

} // namespace ravelin::consolehost
