#include "consolehost/Relay.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ravelin::consolehost {

using namespace ravelin::ipc;

namespace {

constexpr std::string_view kStatusQuery = "\xff\xff\xff\xffgetstatus\n";

bool forwardable(Op op)
{
    switch (op) {
    case Op::Describe:
    case Op::TextLength:
    case Op::GetText:
    case Op::SetText:
    case Op::Char:
    case Op::ButtonDown:
    case Op::ButtonUp:
    case Op::IsVisible:
    case Op::LineCount:
    case Op::ReadLines:
    case Op::LineMark:
    case Op::SendLine:
    case Op::ExecStart:
    case Op::ExecResult:
    case Op::Stats: return true;
    default: return false;
    }
}

bool answered(const std::string& value) { return value != kCvarUnknown && value != kCvarUnknownCommand; }

bool isFolderName(const std::string& value)
{
    return !value.empty() && answered(value) && value != "." && value != ".."
        && value.find_first_of("/\\") == std::string::npos;
}

bool isAbsolute(const std::string& value) { return answered(value) && !value.empty() && value.front() == '/'; }

} // namespace

std::string relayAnswer(std::uint32_t tag, RelayStatus status, std::string_view result)
{
    return PayloadWriter().u32(tag).u8(static_cast<std::uint8_t>(status)).raw(result).frame();
}

RelayService::RelayService(IpcWindowManager& windows) : m_windows(windows), m_bridge(windows, m_loop), m_probe(m_bridge)
{}

RelayService::~RelayService()
{
    for (auto& [tag, subscription] : m_subscriptions)
        ::close(subscription.fd);
    for (StatusWait& wait : m_statusWaits)
        ::close(wait.fd);
}

std::string RelayService::hello() { return PayloadWriter().raw(kRelayMagic).u32(kRelayVersion).frame(); }

bool RelayService::isConsole(WindowHandle console)
{
    return console > 0 && m_windows.className(console) == kConsoleClass;
}

bool RelayService::handle(std::string_view request, std::string& out)
{
    PayloadReader reader(request);
    const std::uint32_t tag = reader.u32();
    const auto op = static_cast<RelayOp>(reader.u8());
    auto malformed = [&](std::string_view why) {
        out += relayAnswer(tag, RelayStatus::Malformed, PayloadWriter().string(why).payload());
        return false;
    };
    if (!reader.ok())
        return malformed("a request shorter than its tag and operation");
    switch (op) {
    case RelayOp::List: {
        if (!reader.atEnd())
            return malformed("List takes no arguments");
        auto consoles = m_windows.listConsoles();
        PayloadWriter result;
        result.u32(static_cast<std::uint32_t>(consoles.size()));
        for (auto [console, responding] : consoles)
            result.u32(static_cast<std::uint32_t>(console)).u8(responding ? 1 : 0);
        out += relayAnswer(tag, RelayStatus::Ok, result.payload());
        return true;
    }
    case RelayOp::Forward: {
        const auto console = static_cast<WindowHandle>(reader.u32());
        std::string inner = reader.rest();
        if (!reader.ok() || inner.size() < 2)
            return malformed("Forward needs a console and a console request");
        return forward(tag, console, inner, out);
    }
    case RelayOp::Subscribe: {
        const auto console = static_cast<WindowHandle>(reader.u32());
        const std::uint64_t after = reader.u64();
        if (!reader.ok() || !reader.atEnd())
            return malformed("Subscribe takes a console and a line number");
        subscribe(tag, console, after, out);
        return true;
    }
    case RelayOp::Unsubscribe: {
        const std::uint32_t which = reader.u32();
        if (!reader.ok() || !reader.atEnd())
            return malformed("Unsubscribe takes the tag of a subscription");
        endSubscription(which, nullptr);
        out += relayAnswer(tag, RelayStatus::Ok);
        return true;
    }
    case RelayOp::Status: {
        const auto console = static_cast<WindowHandle>(reader.u32());
        if (!reader.ok() || !reader.atEnd())
            return malformed("Status takes a console");
        startStatus(tag, console, out);
        return true;
    }
    case RelayOp::DumpRead: {
        const auto console = static_cast<WindowHandle>(reader.u32());
        std::string path = reader.string();
        const bool remove = reader.u8() != 0;
        if (!reader.ok() || !reader.atEnd())
            return malformed("DumpRead takes a console, a path and a flag");
        readDump(tag, console, path, remove, out);
        return true;
    }
    }
    return malformed("an operation the relay does not know");
}

bool RelayService::forward(std::uint32_t tag, WindowHandle console, std::string_view inner, std::string& out)
{
    const auto op = static_cast<Op>(inner[0]);
    if (op == Op::Show || op == Op::Focus) {
        out += relayAnswer(tag, RelayStatus::Local, PayloadWriter().string(kLocalOperation).payload());
        return true;
    }
    if (!forwardable(op)) {
        out += relayAnswer(tag, RelayStatus::Malformed,
                           PayloadWriter().string("a console request the relay does not pass on").payload());
        return false;
    }
    if (!isConsole(console)) {
        out += relayAnswer(tag, RelayStatus::NoConsole);
        return true;
    }
    auto answer = m_windows.forward(console, inner);
    if (!answer) {
        out += relayAnswer(tag, RelayStatus::NoConsole);
        return true;
    }
    out += relayAnswer(tag, RelayStatus::Ok, *answer);
    return true;
}

void RelayService::subscribe(std::uint32_t tag, WindowHandle console, std::uint64_t after, std::string& out)
{
    endSubscription(tag, nullptr);
    const int fd = isConsole(console) ? m_windows.subscribe(console, after) : -1;
    if (fd < 0) {
        out += relayAnswer(tag, RelayStatus::NoConsole);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_subscriptions[tag] = Subscription{fd, {}};
    out += relayAnswer(tag, RelayStatus::Ok);
}

void RelayService::endSubscription(std::uint32_t tag, std::string* out)
{
    auto it = m_subscriptions.find(tag);
    if (it == m_subscriptions.end())
        return;
    ::close(it->second.fd);
    m_subscriptions.erase(it);
    if (out)
        *out += relayAnswer(tag, RelayStatus::NoConsole);
}

void RelayService::startStatus(std::uint32_t tag, WindowHandle console, std::string& out)
{
    // The port is the server's own, asked of its console: the relay queries
    // no port a client names.
    const std::string text = isConsole(console) ? m_probe.GetCvarValue(console, "net_port") : std::string();
    char* end = nullptr;
    const long port = text.empty() ? 0 : std::strtol(text.c_str(), &end, 10);
    if (!isConsole(console)) {
        out += relayAnswer(tag, RelayStatus::NoConsole);
        return;
    }
    const int fd = (port > 0 && port < 65536 && end && *end == '\0')
        ? ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)
        : -1;
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(port));
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // A connected socket takes datagrams from the server's address alone.
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0
        || ::send(fd, kStatusQuery.data(), kStatusQuery.size(), 0) < 0) {
        if (fd >= 0)
            ::close(fd);
        out += relayAnswer(tag, RelayStatus::Ok, PayloadWriter().string("").payload());
        return;
    }
    m_statusWaits.push_back({tag, fd, std::chrono::steady_clock::now() + kStatusWait});
}

void RelayService::readDump(std::uint32_t tag, WindowHandle console, const std::string& path, bool remove,
                            std::string& out)
{
    if (!isConsole(console)) {
        out += relayAnswer(tag, RelayStatus::NoConsole);
        return;
    }
    // Where this server's WRITECONFIG can put the dump: its base folder
    // (Quake III 1.32 writes "..\" there) or its game folder under its home
    // folder (the ioq3 engine). Nothing else is read. The folders are asked
    // once a few seconds, not at every look while a dump is awaited.
    namespace fs = std::filesystem;
    auto& known = m_dumpFolders[console];
    const auto now = std::chrono::steady_clock::now();
    if (known.first == std::chrono::steady_clock::time_point{} || now - known.first > kFoldersAge) {
        known.second.clear();
        const std::string basePath = m_probe.GetCvarValue(console, "fs_basepath");
        if (isAbsolute(basePath))
            known.second.push_back(fs::path(basePath) / kRelayDumpName);
        const std::string baseGame = m_probe.GetCvarValue(console, "com_basegame");
        if (isFolderName(baseGame)) {
            const std::string homePath = m_probe.GetCvarValue(console, "fs_homepath");
            const std::string fsGame = m_probe.GetCvarValue(console, "fs_game");
            if (isAbsolute(homePath))
                known.second.push_back(fs::path(homePath) / (isFolderName(fsGame) ? fsGame : baseGame)
                                       / kRelayDumpName);
        }
        known.first = now;
    }
    const std::vector<fs::path>& allowed = known.second;
    const fs::path wanted = fs::path(path).lexically_normal();
    bool permitted = false;
    for (const fs::path& candidate : allowed)
        permitted = permitted || candidate.lexically_normal() == wanted;
    if (!permitted) {
        out += relayAnswer(tag, RelayStatus::Failed,
                           PayloadWriter().string("the relay reads only the server's own cvar dump").payload());
        return;
    }
    struct stat st {};
    PayloadWriter result;
    // A link or anything but a plain file of ours is not the engine's dump.
    if (::lstat(wanted.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        result.u8(0).string("");
    } else {
        std::ifstream in(wanted, std::ios::binary);
        std::string content(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), kMaxDumpBytes), '\0');
        in.read(content.data(), static_cast<std::streamsize>(content.size()));
        content.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
        result.u8(1).string(content);
        if (remove)
            ::unlink(wanted.c_str());
    }
    out += relayAnswer(tag, RelayStatus::Ok, result.payload());
}

void RelayService::addWaits(std::vector<pollfd>& waits) const
{
    for (const auto& [tag, subscription] : m_subscriptions)
        waits.push_back(pollfd{subscription.fd, POLLIN, 0});
    for (const StatusWait& wait : m_statusWaits)
        waits.push_back(pollfd{wait.fd, POLLIN, 0});
}

void RelayService::serviceWaits(const std::vector<pollfd>& waits, std::string& out)
{
    auto readyFd = [&](int fd) {
        for (const pollfd& p : waits)
            if (p.fd == fd)
                return p.revents != 0;
        return false;
    };
    std::vector<std::uint32_t> ended;
    for (auto& [tag, subscription] : m_subscriptions) {
        if (!readyFd(subscription.fd))
            continue;
        char buffer[65536];
        for (;;) {
            ssize_t n = ::read(subscription.fd, buffer, sizeof buffer);
            if (n > 0) {
                subscription.buffer.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EINTR))
                ended.push_back(tag);
            break;
        }
        // Each whole frame the host pushed goes on under the subscription's tag.
        std::string& data = subscription.buffer;
        while (data.size() >= kFrameHeader) {
            const std::uint32_t length = frameLength(data);
            if (length == 0 || length > kMaxAnswerPayload) {
                ended.push_back(tag);
                break;
            }
            if (data.size() < kFrameHeader + length)
                break;
            std::string_view payload = std::string_view(data).substr(kFrameHeader, length);
            if (static_cast<Status>(payload[0]) == Status::Ok)
                out += relayAnswer(tag, RelayStatus::Ok, payload.substr(1));
            data.erase(0, kFrameHeader + length);
        }
    }
    for (std::uint32_t tag : ended)
        endSubscription(tag, &out);

    const auto now = std::chrono::steady_clock::now();
    for (auto it = m_statusWaits.begin(); it != m_statusWaits.end();) {
        std::string reply;
        bool done = now >= it->deadline;
        if (readyFd(it->fd)) {
            char buffer[65536];
            ssize_t n = ::recv(it->fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                reply.assign(buffer, static_cast<std::size_t>(n));
                done = true;
            }
        }
        if (!done) {
            ++it;
            continue;
        }
        out += relayAnswer(it->tag, RelayStatus::Ok, PayloadWriter().string(reply).payload());
        ::close(it->fd);
        it = m_statusWaits.erase(it);
    }
}

int RelayService::nextTimeoutMs() const
{
    if (m_statusWaits.empty())
        return -1;
    auto soonest = m_statusWaits.front().deadline;
    for (const StatusWait& wait : m_statusWaits)
        soonest = std::min(soonest, wait.deadline);
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(soonest - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(left.count(), 0)) + 1;
}

namespace {

bool writeAll(int fd, std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, -1);
            continue;
        }
        return false;
    }
    data.clear();
    return true;
}

} // namespace

int runRelay(int in, int out)
{
    // The link going away must end the relay through a failed write, not a signal.
    ::signal(SIGPIPE, SIG_IGN);
    IpcWindowManager windows;
    RelayService service(windows);
    std::string pending = RelayService::hello();
    if (!writeAll(out, pending))
        return 1;
    std::string received;
    for (;;) {
        std::vector<pollfd> waits{pollfd{in, POLLIN, 0}};
        service.addWaits(waits);
        int ready = ::poll(waits.data(), waits.size(), service.nextTimeoutMs());
        if (ready < 0 && errno != EINTR)
            return 1;
        std::string answers;
        if (waits[0].revents != 0) {
            char buffer[65536];
            ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
                return 0; // the link closed: ssh went away
            if (n > 0)
                received.append(buffer, static_cast<std::size_t>(n));
            while (received.size() >= kFrameHeader) {
                const std::uint32_t length = frameLength(received);
                if (length == 0 || length > kMaxRelayRequest) {
                    answers += relayAnswer(0, RelayStatus::Malformed,
                                           PayloadWriter().string("a frame longer than a request can be").payload());
                    writeAll(out, answers);
                    return 1;
                }
                if (received.size() < kFrameHeader + length)
                    break;
                const bool ok = service.handle(std::string_view(received).substr(kFrameHeader, length), answers);
                received.erase(0, kFrameHeader + length);
                if (!ok) {
                    writeAll(out, answers);
                    return 1;
                }
            }
        }
        service.serviceWaits(waits, answers);
        if (!answers.empty() && !writeAll(out, answers))
            return 0;
    }
}

} // namespace ravelin::consolehost
