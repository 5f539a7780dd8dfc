#include "platform/ipc/IpcWindowManager.h"

#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/IpcProtocol.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ravelin::ipc {

namespace {

using Clock = std::chrono::steady_clock;

constexpr WindowHandle kFirstSpareHandle = 0x40000000;
// A host that timed out is left alone this long, so a hung host costs one
// timeout now and then instead of one per call.
constexpr auto kCooldown = std::chrono::seconds(5);
// A directory mtime this close to the time of listing may hide a later
// change within the same timestamp tick; such a listing is not trusted.
constexpr std::int64_t kRacyMtimeNs = 50'000'000;
// Within this long of the last look, the folder and the connections are
// taken as they were: FindConsoleWindow's 10000 back-to-back lookups then
// cost a clock read each, and a change is still seen within a millisecond.
constexpr auto kRecheck = std::chrono::milliseconds(1);

std::int64_t toNs(const timespec& t) { return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

std::int64_t realtimeNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return toNs(now);
}

struct ChildInfo {
    std::string className;
    std::string caption;
};

struct Host {
    std::string name;
    pid_t pid = 0;
    std::array<WindowHandle, kChildCount + 1> handles{};
    int fd = -1;
    bool gone = false; // its endpoint vanished (until a listing shows it again)
    bool described = false;
    std::string className;
    std::string title;
    std::vector<ChildInfo> children;
    std::uint32_t serverPid = 0;
    std::uint32_t features = 0;
    // The output box's line count as last asked, and when.
    int lineCount = -1;
    Clock::time_point lineCountAt{};
    Clock::time_point cooldownUntil{};
    Clock::time_point checkedAt{};
};

} // namespace

struct IpcWindowManager::Impl {
    std::filesystem::path folder;
    std::chrono::milliseconds timeout{2000};
    std::string lastError;
    std::size_t unanswered = 0;

    // Listing cache.
    bool listed = false;
    bool trusted = false;
    std::int64_t mtimeNs = 0;
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<Host*> listing; // in start order
    Clock::time_point refreshedAt{};

    std::map<std::string, std::unique_ptr<Host>> hosts; // by endpoint name, never erased
    std::map<WindowHandle, std::pair<Host*, int>> byHandle;
    WindowHandle nextSpare = kFirstSpareHandle;

    explicit Impl(std::filesystem::path f) : folder(std::move(f)) {}

    ~Impl()
    {
        for (auto& [name, host] : hosts)
            disconnect(*host);
    }

    WindowHandle assign(Host& host, int child, WindowHandle wanted)
    {
        WindowHandle handle = wanted > 0 && !byHandle.contains(wanted) ? wanted : nextSpare++;
        byHandle[handle] = {&host, child};
        host.handles[static_cast<std::size_t>(child)] = handle;
        return handle;
    }

    WindowHandle handleOf(Host& host, int child)
    {
        WindowHandle h = host.handles[static_cast<std::size_t>(child)];
        return h != 0 ? h : assign(host, child, 0);
    }

    // Brings the listing up to date; cheap when the folder did not change.
    void refresh()
    {
        auto now = Clock::now();
        if (refreshedAt != Clock::time_point{} && now - refreshedAt < kRecheck)
            return;
        refreshedAt = now;
        struct stat st {};
        if (::lstat(folder.c_str(), &st) != 0) {
            listing.clear();
            listed = false;
            lastError.clear();
            return;
        }
        if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
            listing.clear();
            listed = false;
            lastError = checkEndpointFolder(folder);
            return;
        }
        std::int64_t mtime = toNs(st.st_mtim);
        if (listed && trusted && mtime == mtimeNs && st.st_dev == device && st.st_ino == inode)
            return;
        if (std::string problem = checkEndpointFolder(folder); !problem.empty()) {
            listing.clear();
            listed = false;
            lastError = problem;
            return;
        }
        lastError.clear();
        listing.clear();
        for (const std::string& name : listEndpoints(folder)) {
            auto& slot = hosts[name];
            if (!slot) {
                slot = std::make_unique<Host>();
                slot->name = name;
                slot->pid = parseEndpointName(name)->pid;
                assign(*slot, kConsoleWindow, static_cast<WindowHandle>(slot->pid));
            }
            // An endpoint that is there again (its host made it anew after
            // the folder was removed) is back in service.
            slot->gone = false;
            listing.push_back(slot.get());
        }
        listed = true;
        mtimeNs = mtime;
        device = st.st_dev;
        inode = st.st_ino;
        trusted = realtimeNs() - mtime > kRacyMtimeNs;
    }

    void disconnect(Host& host)
    {
        if (host.fd >= 0)
            ::close(host.fd);
        host.fd = -1;
        host.checkedAt = {};
    }

    bool cooling(const Host& host) const { return Clock::now() < host.cooldownUntil; }

    // Opens the connection and learns the host's windows. False when the
    // host is not there (now or for good).
    bool connect(Host& host)
    {
        int fd = connectEndpoint(folder, host.name);
        if (fd < 0) {
            if (errno == ENOENT)
                host.gone = true;
            else if (errno == ECONNREFUSED)
                removeStale(host);
            return false;
        }
        if (peerUid(fd) != static_cast<long>(::geteuid())) {
            lastError = "console endpoint " + host.name + " belongs to another user; ignored";
            ::close(fd);
            return false;
        }
        host.fd = fd;
        if (host.described)
            return true;
        auto answer = roundTrip(host, PayloadWriter().u8(std::uint8_t(Op::Describe)).u8(kConsoleWindow).frame());
        if (!answer)
            return false;
        PayloadReader reader(*answer);
        std::uint32_t version = reader.u32();
        reader.u32(); // host pid: the endpoint name already tells it
        std::uint32_t serverPid = reader.u32();
        std::string className = reader.string();
        std::string title = reader.string();
        int count = reader.u8();
        std::vector<ChildInfo> children;
        for (int i = 0; i < count && reader.ok(); ++i) {
            ChildInfo child;
            child.className = reader.string();
            child.caption = reader.string();
            children.push_back(std::move(child));
        }
        std::uint32_t features = 0;
        if (reader.ok() && !reader.atEnd())
            features = reader.u32();
        if (!reader.ok() || version != kProtocolVersion || count != kChildCount) {
            lastError = "console endpoint " + host.name + " speaks another protocol; ignored";
            disconnect(host);
            host.cooldownUntil = Clock::now() + kCooldown;
            return false;
        }
        host.serverPid = serverPid;
        host.className = std::move(className);
        host.title = std::move(title);
        host.children = std::move(children);
        host.features = features;
        host.described = true;
        return true;
    }

    // A host killed outright leaves its socket behind; nobody listens there
    // any more, so it goes, as long as it is ours.
    void removeStale(Host& host)
    {
        auto path = folder / host.name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid()) {
            ::unlink(path.c_str());
            host.gone = true;
        }
    }

    // True when the host can be talked to: connected, and the connection
    // has not been closed by the other end.
    bool alive(Host& host)
    {
        if (host.gone || cooling(host))
            return false;
        if (host.fd >= 0) {
            auto now = Clock::now();
            if (now - host.checkedAt < kRecheck)
                return true;
            pollfd p{host.fd, POLLIN | POLLRDHUP, 0};
            int ready = ::poll(&p, 1, 0);
            if (ready == 0) {
                host.checkedAt = now;
                return true;
            }
            // Nothing may arrive unasked: data or a hang-up means the
            // connection is done with.
            disconnect(host);
        }
        return connect(host);
    }

    bool waitFor(int fd, short events, Clock::time_point deadline)
    {
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left < 0)
                return false;
            pollfd p{fd, events, 0};
            int ready = ::poll(&p, 1, static_cast<int>(left) + 1);
            if (ready > 0)
                return (p.revents & events) != 0 || (p.revents & (POLLHUP | POLLERR)) != 0;
            if (ready < 0 && errno != EINTR)
                return false;
            if (ready == 0 && Clock::now() >= deadline)
                return false;
        }
    }

    enum class Failure { None, Broken, TimedOut };

    // One request and its answer. The answer's status byte is checked here;
    // the result comes back without it.
    std::optional<std::string> exchange(Host& host, const std::string& request, Failure& failure)
    {
        failure = Failure::Broken;
        auto deadline = Clock::now() + timeout;
        std::size_t sent = 0;
        while (sent < request.size()) {
            ssize_t n = ::send(host.fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                if (!waitFor(host.fd, POLLOUT, deadline)) {
                    failure = Clock::now() >= deadline ? Failure::TimedOut : Failure::Broken;
                    return std::nullopt;
                }
                continue;
            }
            return std::nullopt;
        }
        std::string received;
        std::size_t wanted = kFrameHeader;
        bool haveHeader = false;
        char buffer[65536];
        while (received.size() < wanted) {
            ssize_t n = ::recv(host.fd, buffer, std::min(sizeof buffer, wanted - received.size()), 0);
            if (n > 0) {
                received.append(buffer, static_cast<std::size_t>(n));
                if (!haveHeader && received.size() >= kFrameHeader) {
                    haveHeader = true;
                    std::uint32_t length = frameLength(received);
                    if (length == 0 || length > kMaxAnswerPayload)
                        return std::nullopt;
                    wanted = kFrameHeader + length;
                }
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                if (!waitFor(host.fd, POLLIN, deadline)) {
                    failure = Clock::now() >= deadline ? Failure::TimedOut : Failure::Broken;
                    return std::nullopt;
                }
                continue;
            }
            return std::nullopt; // closed or failed
        }
        failure = Failure::None;
        return received.substr(kFrameHeader);
    }

    // A request with one retry over a fresh connection when the old one
    // broke (the host may have dropped an idle client); a timeout puts the
    // host aside for a while instead.
    std::optional<std::string> roundTrip(Host& host, const std::string& request)
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (host.fd < 0 && (attempt == 0 || !reconnect(host)))
                return std::nullopt;
            Failure failure = Failure::None;
            auto answer = exchange(host, request, failure);
            if (answer) {
                PayloadReader reader(*answer);
                auto status = static_cast<Status>(reader.u8());
                if (status != Status::Ok) {
                    if (status == Status::Malformed || status == Status::Refused)
                        disconnect(host);
                    return std::nullopt;
                }
                return reader.rest();
            }
            disconnect(host);
            if (failure == Failure::TimedOut) {
                host.cooldownUntil = Clock::now() + kCooldown;
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    bool reconnect(Host& host) { return !host.gone && connect(host) && host.fd >= 0; }

    // The host and child behind a handle, when that host is alive.
    std::pair<Host*, int> resolve(WindowHandle window)
    {
        if (window <= 0)
            return {nullptr, -1};
        auto it = byHandle.find(window);
        if (it == byHandle.end()) {
            // A fresh process may be handed a host's pid before it listed.
            refresh();
            it = byHandle.find(window);
            if (it == byHandle.end())
                return {nullptr, -1};
        }
        Host* host = it->second.first;
        if (!alive(*host))
            return {nullptr, -1};
        return it->second;
    }

    std::optional<std::string> request(WindowHandle window, Op op, std::string_view arguments = {})
    {
        auto answer = ask(window, op, arguments);
        if (!answer)
            ++unanswered;
        return answer;
    }

    std::optional<std::string> ask(WindowHandle window, Op op, std::string_view arguments)
    {
        auto [host, child] = resolve(window);
        if (!host)
            return std::nullopt;
        // Whatever we change there may change the count too.
        if (op != Op::TextLength && op != Op::GetText && op != Op::IsVisible && op != Op::LineCount)
            host->lineCountAt = {};
        PayloadWriter writer;
        writer.u8(static_cast<std::uint8_t>(op)).u8(static_cast<std::uint8_t>(child)).raw(arguments);
        return roundTrip(*host, writer.frame());
    }

    const std::string* staticCaption(Host& host, int child) const
    {
        if (child == kConsoleWindow)
            return &host.title;
        return &host.children[static_cast<std::size_t>(child - 1)].caption;
    }

    bool isEdit(Host& host, int child) const
    {
        return child != kConsoleWindow && host.children[static_cast<std::size_t>(child - 1)].className == "Edit";
    }
};

IpcWindowManager::IpcWindowManager() : IpcWindowManager(defaultEndpointFolder()) {}

IpcWindowManager::IpcWindowManager(std::filesystem::path endpointFolder)
    : d(std::make_unique<Impl>(std::move(endpointFolder)))
{}

IpcWindowManager::~IpcWindowManager() = default;

WindowHandle IpcWindowManager::findWindow(std::string_view className, std::string_view title)
{
    d->refresh();
    for (Host* host : d->listing) {
        if (d->alive(*host) && host->className == className && host->title == title)
            return host->handles[kConsoleWindow];
    }
    return 0;
}

WindowHandle IpcWindowManager::findNextWindow(WindowHandle after, std::string_view title)
{
    d->refresh();
    std::string afterName;
    if (after != 0) {
        auto it = d->byHandle.find(after);
        if (it == d->byHandle.end())
            return 0;
        afterName = it->second.first->name;
    }
    for (Host* host : d->listing) {
        if (after != 0 && host->name <= afterName)
            continue;
        if (d->alive(*host) && host->title == title)
            return host->handles[kConsoleWindow];
    }
    return 0;
}

WindowHandle IpcWindowManager::firstChild(WindowHandle parent)
{
    auto [host, child] = d->resolve(parent);
    if (!host || child != kConsoleWindow)
        return 0;
    return d->handleOf(*host, kInputLine);
}

WindowHandle IpcWindowManager::nextSibling(WindowHandle window)
{
    auto [host, child] = d->resolve(window);
    if (!host || child == kConsoleWindow || child >= kChildCount)
        return 0;
    return d->handleOf(*host, child + 1);
}

std::string IpcWindowManager::className(WindowHandle window, int capacity)
{
    auto [host, child] = d->resolve(window);
    if (!host || capacity <= 0)
        return {};
    const std::string& name =
        child == kConsoleWindow ? host->className : host->children[static_cast<std::size_t>(child - 1)].className;
    return name.substr(0, static_cast<std::size_t>(capacity - 1));
}

std::string IpcWindowManager::caption(WindowHandle window)
{
    // As with another process's windows on the original platform, an edit
    // box's caption is the one it was created with, not its current text.
    auto [host, child] = d->resolve(window);
    if (!host)
        return {};
    return *d->staticCaption(*host, child);
}

int IpcWindowManager::textLength(WindowHandle window)
{
    auto [host, child] = d->resolve(window);
    if (!host)
        return 0;
    if (!d->isEdit(*host, child))
        return static_cast<int>(d->staticCaption(*host, child)->size());
    auto answer = d->request(window, Op::TextLength);
    if (!answer || answer->size() < 4)
        return 0;
    return static_cast<int>(frameLength(*answer));
}

std::string IpcWindowManager::text(WindowHandle window, int capacity)
{
    auto [host, child] = d->resolve(window);
    if (!host || capacity <= 0)
        return {};
    if (!d->isEdit(*host, child))
        return d->staticCaption(*host, child)->substr(0, static_cast<std::size_t>(capacity - 1));
    auto answer = d->request(window, Op::GetText, PayloadWriter().u32(static_cast<std::uint32_t>(capacity)).payload());
    return answer ? *answer : std::string();
}

int IpcWindowManager::lineCount(WindowHandle window)
{
    auto [host, child] = d->resolve(window);
    if (!host)
        return -1;
    if (!d->isEdit(*host, child) || !(host->features & kFeatureLineCount))
        return WindowManager::lineCount(window);
    // A count asked within the last millisecond, with nothing sent there
    // since, is taken as it was: a pump recounting before every line of a
    // pass then costs a round trip now and then, not one per line.
    auto now = Clock::now();
    if (child == kOutputBox && host->lineCountAt != Clock::time_point{} && now - host->lineCountAt < kRecheck)
        return host->lineCount;
    auto answer = d->request(window, Op::LineCount);
    if (!answer || answer->size() < 4)
        return -1;
    int count = static_cast<std::int32_t>(frameLength(*answer));
    if (child == kOutputBox) {
        host->lineCount = count;
        host->lineCountAt = now;
    }
    return count;
}

void IpcWindowManager::setText(WindowHandle window, std::string_view text)
{
    if (text.size() > kMaxRequestPayload - 16)
        text = text.substr(0, kMaxRequestPayload - 16);
    d->request(window, Op::SetText, text);
}

void IpcWindowManager::sendChar(WindowHandle window, char character)
{
    d->request(window, Op::Char, std::string(1, character));
}

void IpcWindowManager::leftButtonDown(WindowHandle window) { d->request(window, Op::ButtonDown); }

void IpcWindowManager::leftButtonUp(WindowHandle window) { d->request(window, Op::ButtonUp); }

void IpcWindowManager::showWindow(WindowHandle window, bool visible)
{
    // The display we run on goes along: a host whose own display went away
    // shows its window there.
    PayloadWriter arguments;
    arguments.u8(visible ? 1 : 0);
    const char* display = std::getenv("DISPLAY");
    if (visible && display && *display) {
        arguments.string(display);
        const char* authority = std::getenv("XAUTHORITY");
        arguments.string(authority ? authority : "");
    }
    d->request(window, Op::Show, arguments.payload());
}

bool IpcWindowManager::isWindowVisible(WindowHandle window)
{
    auto answer = d->request(window, Op::IsVisible);
    return answer && !answer->empty() && (*answer)[0] != 0;
}

void IpcWindowManager::setFocus(WindowHandle window) { d->request(window, Op::Focus); }

LineBatch IpcWindowManager::readLines(WindowHandle console, std::uint64_t after, std::size_t maxBytes)
{
    auto [host, child] = d->resolve(console);
    if (!host || child != kConsoleWindow || !(host->features & kFeatureNumberedLines))
        return {};
    auto answer = d->request(console, Op::ReadLines,
                             PayloadWriter().u64(after).u32(static_cast<std::uint32_t>(maxBytes)).payload());
    if (!answer)
        return {};
    PayloadReader reader(*answer);
    return decodeBatch(reader);
}

std::uint64_t IpcWindowManager::tailStart(WindowHandle console, std::size_t chars, bool& ok)
{
    ok = false;
    auto [host, child] = d->resolve(console);
    if (!host || child != kConsoleWindow || !(host->features & kFeatureNumberedLines))
        return 0;
    auto answer = d->request(console, Op::LineMark, PayloadWriter().u32(static_cast<std::uint32_t>(chars)).payload());
    if (!answer)
        return 0;
    return decodeLineMark(*answer, ok);
}

bool IpcWindowManager::sendLine(WindowHandle console, std::string_view line)
{
    auto [host, child] = d->resolve(console);
    if (!host || child != kConsoleWindow || !(host->features & kFeatureNumberedLines))
        return false;
    if (line.size() > kMaxRequestPayload - 16)
        line = line.substr(0, kMaxRequestPayload - 16);
    return d->request(console, Op::SendLine, line).has_value();
}

std::uint64_t IpcWindowManager::startExec(WindowHandle console, std::string_view command, int timeoutMs,
                                          std::string& error)
{
    auto [host, child] = d->resolve(console);
    if (!host || child != kConsoleWindow) {
        error = "the console is gone";
        return 0;
    }
    if (!(host->features & kFeatureNumberedLines)) {
        error = "this console host is too old to run a command for its output";
        return 0;
    }
    if (command.size() > kMaxRequestPayload - 16) {
        error = "the command is too long";
        return 0;
    }
    auto answer = d->request(console, Op::ExecStart, execStartArguments(command, timeoutMs));
    if (!answer) {
        error = "the console did not answer";
        return 0;
    }
    return decodeExecStart(*answer, error);
}

ExecPoll IpcWindowManager::pollExec(WindowHandle console, std::uint64_t id)
{
    auto answer = d->request(console, Op::ExecResult, PayloadWriter().u64(id).payload());
    if (!answer) {
        ExecPoll poll;
        poll.error = "the console is gone";
        return poll;
    }
    return decodeExecResult(*answer);
}

std::string IpcWindowManager::stats(WindowHandle console)
{
    auto [host, child] = d->resolve(console);
    if (!host || child != kConsoleWindow || !(host->features & kFeatureNumberedLines))
        return {};
    auto answer = d->request(console, Op::Stats);
    if (!answer)
        return {};
    PayloadReader reader(*answer);
    return reader.string();
}

IpcWindowManager::Supervision IpcWindowManager::supervise(WindowHandle console, SuperviseAction action)
{
    Supervision result;
    auto [host, child] = d->resolve(console);
    if (!host || child != kConsoleWindow || !(host->features & kFeatureSupervision))
        return result;
    auto answer = d->request(console, Op::Supervise, PayloadWriter().u8(static_cast<std::uint8_t>(action)).payload());
    if (!answer)
        return result;
    PayloadReader reader(*answer);
    result.state = static_cast<ServerState>(reader.u8());
    result.starts = reader.u32();
    result.text = reader.string();
    result.ok = reader.ok();
    return result;
}

ServerRun IpcWindowManager::serverRun(WindowHandle console)
{
    Supervision now = supervise(console);
    if (!now.ok)
        return {};
    return {true, now.state == ServerState::Running, now.starts, now.text};
}

int IpcWindowManager::subscribe(WindowHandle console, std::uint64_t after)
{
    auto [host, child] = d->resolve(console);
    if (!host || child != kConsoleWindow || !(host->features & kFeatureNumberedLines))
        return -1;
    // A connection of its own: pushed frames must not meet other answers.
    Host own;
    own.name = host->name;
    own.described = true;
    if (!d->connect(own))
        return -1;
    own.features = host->features;
    auto answer =
        d->roundTrip(own, PayloadWriter().u8(std::uint8_t(Op::Subscribe)).u8(kConsoleWindow).u64(after).frame());
    if (!answer) {
        d->disconnect(own);
        return -1;
    }
    return own.fd;
}

std::optional<std::string> IpcWindowManager::forward(WindowHandle console, std::string_view request)
{
    auto [host, child] = d->resolve(console);
    if (!host || child != kConsoleWindow)
        return std::nullopt;
    host->lineCountAt = {};
    Impl::Failure failure = Impl::Failure::None;
    auto answer = d->exchange(*host, frame(request), failure);
    if (!answer) {
        d->disconnect(*host);
        if (failure == Impl::Failure::TimedOut)
            host->cooldownUntil = Clock::now() + kCooldown;
        ++d->unanswered;
        return std::nullopt;
    }
    // The host closes the connection after a malformed request.
    if (!answer->empty()
        && (static_cast<Status>((*answer)[0]) == Status::Malformed
            || static_cast<Status>((*answer)[0]) == Status::Refused))
        d->disconnect(*host);
    return answer;
}

const std::filesystem::path& IpcWindowManager::endpointFolder() const { return d->folder; }

std::string IpcWindowManager::lastError() const { return d->lastError; }

void IpcWindowManager::setTimeout(std::chrono::milliseconds timeout) { d->timeout = timeout; }

std::size_t IpcWindowManager::unansweredRequests() const { return d->unanswered; }

std::vector<WindowHandle> IpcWindowManager::consoleWindows()
{
    std::vector<WindowHandle> windows;
    d->refresh();
    for (Host* host : d->listing) {
        if (d->alive(*host))
            windows.push_back(host->handles[kConsoleWindow]);
    }
    return windows;
}

std::vector<IpcWindowManager::ListedConsole> IpcWindowManager::listConsoles()
{
    std::vector<ListedConsole> consoles;
    d->refresh();
    for (Host* host : d->listing) {
        bool responding = d->alive(*host);
        if (responding || (!host->gone && d->cooling(*host)))
            consoles.push_back({host->handles[kConsoleWindow], responding});
    }
    return consoles;
}

bool IpcWindowManager::notResponding(WindowHandle window)
{
    auto it = d->byHandle.find(window);
    if (it == d->byHandle.end()) {
        d->refresh();
        it = d->byHandle.find(window);
        if (it == d->byHandle.end())
            return false;
    }
    Host& host = *it->second.first;
    return !d->alive(host) && !host.gone && d->cooling(host);
}

int IpcWindowManager::hostPid(WindowHandle window)
{
    auto [host, child] = d->resolve(window);
    return host && child == kConsoleWindow ? static_cast<int>(host->pid) : 0;
}

int IpcWindowManager::serverPid(WindowHandle window)
{
    auto [host, child] = d->resolve(window);
    if (!host || child != kConsoleWindow)
        return 0;
    // A supervising host starts a new server after a crash: ask afresh.
    if (host->features & kFeatureSupervision) {
        if (auto answer = d->request(window, Op::Describe)) {
            PayloadReader reader(*answer);
            reader.u32();
            reader.u32();
            std::uint32_t pid = reader.u32();
            if (reader.ok())
                host->serverPid = pid;
        }
    }
    return static_cast<int>(host->serverPid);
}

} // namespace ravelin::ipc
