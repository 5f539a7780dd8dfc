#include "platform/ipc/ReturnWatch.h"
#include "platform/ipc/Spawn.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ravelin::ipc {

namespace {

// `ssh -G` prints a few kilobytes; anything far beyond is not it.
constexpr std::size_t kMaxResolved = 256 * 1024;

} // namespace

std::optional<SshAddress> parseSshResolved(std::string_view text)
{
    SshAddress address;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, blank);
        const std::string_view value = line.substr(blank + 1);
        if (key == "hostname")
            address.host = value;
        else if (key == "port")
            address.port = value;
        else if ((key == "proxyjump" || key == "proxycommand") && value != "none")
            return std::nullopt;
    }
    const bool numericPort = !address.port.empty() && address.port.size() <= 5
        && address.port.find_first_not_of("0123456789") == std::string::npos;
    if (address.host.empty() || !numericPort)
        return std::nullopt;
    return address;
}

std::vector<std::string> sshResolveCommand(const std::vector<std::string>& command)
{
    if (command.empty() || (command[0] != "ssh" && !command[0].ends_with("/ssh")))
        return {};
    std::vector<std::string> resolve{command[0], "-G"};
    for (std::size_t i = 1; i < command.size(); ++i) {
        resolve.push_back(command[i]);
        if (command[i] == "--")
            return i + 1 < command.size() ? (resolve.push_back(command[i + 1]), resolve) : std::vector<std::string>{};
    }
    return {};
}

// A host name looked up on a thread of its own, so a slow resolver never
// holds up the owner's polling; the thread outlives a watch that ends first.
struct ReturnWatch::Lookup {
    std::mutex lock;
    bool done = false;
    bool found = false;
    sockaddr_storage address{};
    socklen_t length = 0;

    void take(const addrinfo* info)
    {
        std::lock_guard guard(lock);
        done = true;
        if (info && info->ai_addrlen <= sizeof address) {
            std::memcpy(&address, info->ai_addr, info->ai_addrlen);
            length = info->ai_addrlen;
            found = true;
        }
    }
    // Takes the first address of `host`:`port` when getaddrinfo finds one.
    bool lookUp(const std::string& host, const std::string& port, int flags)
    {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = flags | AI_NUMERICSERV;
        addrinfo* info = nullptr;
        if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &info) != 0)
            return false;
        take(info);
        ::freeaddrinfo(info);
        return true;
    }
};

ReturnWatch::ReturnWatch(std::vector<std::string> resolve) : m_resolve(std::move(resolve)) {}

ReturnWatch::~ReturnWatch() { end(); }

void ReturnWatch::begin(bool unreachable)
{
    end();
    if (m_resolve.empty())
        return;
    m_waiting = true;
    m_schedule.restart(unreachable);
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return;
    pid_t pid = -1;
    const int spawned = spawnInOwnSession(m_resolve, -1, out[1], -1, pid);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return;
    }
    m_resolver = pid;
    m_resolverOut = out[0];
    ::fcntl(m_resolverOut, F_SETFL, ::fcntl(m_resolverOut, F_GETFL) | O_NONBLOCK);
}

void ReturnWatch::end()
{
    m_waiting = false;
    closeKnock();
    if (m_resolverOut >= 0)
        ::close(m_resolverOut);
    m_resolverOut = -1;
    if (m_resolver > 0) {
        ::kill(m_resolver, SIGKILL);
        ::waitpid(m_resolver, nullptr, 0);
    }
    m_resolver = -1;
    m_resolved.clear();
    m_lookup.reset();
}

void ReturnWatch::readResolver()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_resolverOut, buffer, sizeof buffer);
        if (n > 0) {
            if (m_resolved.size() < kMaxResolved)
                m_resolved.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        break;
    }
    // ssh -G has said all it will.
    ::close(m_resolverOut);
    m_resolverOut = -1;
    int status = 0;
    const bool exited = ::waitpid(m_resolver, &status, 0) == m_resolver;
    m_resolver = -1;
    const auto address =
        exited && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? parseSshResolved(m_resolved) : std::nullopt;
    if (!address)
        return;
    m_lookup = std::make_shared<Lookup>();
    // A plain address needs no resolver; a name is looked up aside.
    if (m_lookup->lookUp(address->host, address->port, AI_NUMERICHOST))
        return;
    std::thread([lookup = m_lookup, host = address->host, port = address->port] {
        if (!lookup->lookUp(host, port, 0))
            lookup->take(nullptr);
    }).detach();
}

void ReturnWatch::closeKnock()
{
    if (m_knock >= 0)
        ::close(m_knock);
    m_knock = -1;
}

// Starts a knock; true when it got through at once and that means the
// machine is back (a refusal on loopback is also told at once).
bool ReturnWatch::knock(Clock::time_point now)
{
    sockaddr_storage address{};
    socklen_t length = 0;
    {
        std::lock_guard guard(m_lookup->lock);
        address = m_lookup->address;
        length = m_lookup->length;
    }
    m_schedule.knocked(now);
    m_knockedAt = now;
    m_knock = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_knock < 0)
        return false;
    if (::connect(m_knock, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        closeKnock();
        return m_schedule.answered(true);
    }
    if (errno != EINPROGRESS) {
        closeKnock();
        return m_schedule.answered(false);
    }
    return false;
}

bool ReturnWatch::poll(Clock::time_point now)
{
    if (!m_waiting)
        return false;
    if (m_resolverOut >= 0)
        readResolver();
    if (!m_lookup)
        return false;
    {
        std::lock_guard guard(m_lookup->lock);
        if (!m_lookup->done || !m_lookup->found)
            return false;
    }
    if (m_knock < 0)
        return m_schedule.due(now) && knock(now);
    pollfd p{m_knock, POLLOUT, 0};
    if (::poll(&p, 1, 0) <= 0) {
        if (now - m_knockedAt < KnockSchedule::kKnockTimeout)
            return false;
        closeKnock();
        return m_schedule.answered(false);
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(m_knock, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        error = errno;
    closeKnock();
    return m_schedule.answered(error == 0);
}

} // namespace ravelin::ipc
