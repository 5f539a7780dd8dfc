#include "consolehost/ConsoleHost.h"

#include "consolehost/ConsoleRequests.h"
#include "consolehost/ConsoleWindow.h"
#include "consolehost/EndpointServer.h"
#include "consolehost/FailureWatch.h"
#include "consolehost/HostHandover.h"
#include "consolehost/ServerProcess.h"
#include "platform/WallClock.h"
#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/IpcProtocol.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <map>
#include <strings.h>
#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ravelin::consolehost {

namespace {

// How long the server gets to quit on its own after SIGTERM/SIGINT, and then
// after SIGTERM, before it is killed.
constexpr int kQuitGraceMs = 3000;
constexpr int kTermGraceMs = 2000;
constexpr int kExitPollMs = 50;
constexpr int kFeedPollMs = 3;
constexpr int kEndpointCheckMs = 1000;
// Pushed lines waiting for one subscriber; past it lines wait in the ring.
constexpr std::size_t kSubscriberQueue = 1024 * 1024;
constexpr std::size_t kPushBytes = 256 * 1024;
// A subscriber whose queue stays full while this many lines leave the ring
// past it has stopped reading: it is dropped.
constexpr std::uint64_t kSubscriberMaxMissed = 100'000;
constexpr std::size_t kDropsKept = 8;

int g_signalPipe[2] = {-1, -1};

// Runs at exit while a windowed host's server still runs: the display went
// away (the toolkit ends the process when it loses it), and the host
// replaces itself by a headless one instead of taking the server along.
std::function<void()> g_onDisplayLost;

void handOverAtExit()
{
    if (g_onDisplayLost) {
        auto handOver = std::move(g_onDisplayLost);
        g_onDisplayLost = nullptr;
        handOver();
    }
}

void onSignal(int number)
{
    unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
}

// Whether a batch written to the server holds a quit: the server then ends
// because it was asked to, and is not restarted. The engine runs a console
// line's commands split at ';', with a leading slash or backslash dropped.
bool asksToQuit(std::string_view batch)
{
    std::size_t start = 0;
    while (start <= batch.size()) {
        std::size_t end = batch.find_first_of(";\n", start);
        std::string_view command =
            batch.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        std::size_t first = command.find_first_not_of(" \t/\\");
        if (first != std::string_view::npos) {
            command.remove_prefix(first);
            std::string_view word = command.substr(0, command.find_first_of(" \t\r"));
            if (word.size() == 4 && ::strncasecmp(word.data(), "quit", 4) == 0)
                return true;
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return false;
}

std::int64_t steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr int kWatchTickMs = 250;

std::uint64_t nowNs()
{
    timespec t{};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return std::uint64_t(t.tv_sec) * 1'000'000'000u + std::uint64_t(t.tv_nsec);
}

} // namespace

bool displayAvailable()
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

std::string displayToCheck()
{
    auto value = [](const char* name) {
        const char* text = std::getenv(name);
        return std::string(text ? text : "");
    };
    std::string platform = value("QT_QPA_PLATFORM");
    if (!value("WAYLAND_DISPLAY").empty() || !(platform.empty() || platform.starts_with("xcb")))
        return {};
    return value("DISPLAY");
}

struct ConsoleHost::Impl {
    HostOptions options;
    ConsoleModel model;
    ServerProcess server;
    ConsoleRequests requests{model, HostFacts{::getpid(), 0}};
    std::unique_ptr<EndpointServer> endpoint;
    std::unique_ptr<ConsoleWindow> window;
    std::map<int, std::pair<QSocketNotifier*, QSocketNotifier*>> notifiers;
    QSocketNotifier* outputNotifier = nullptr;
    QSocketNotifier* signalNotifier = nullptr;
    QTimer exitTimer;
    QTimer feedTimer;
    QTimer graceTimer;
    QTimer endpointTimer;
    std::string endpointProblem;
    int status = 0;
    bool outputEnded = false;
    bool finished = false;
    bool quitting = false;

    bool lostDisplay = false;

    // Supervision: what to do when the server ends, and the facts it needs.
    RestartPolicy policy{options.restart};
    SystemWallClock systemClock;
    WallClock* clock = &systemClock;
    QTimer restartTimer;
    std::uint32_t starts = 1;
    // A restart the previous self had pending when it handed over (ms).
    std::int64_t pendingRestartMs = -1;
    bool quitAsked = false; // a quit went to the server, or `stop` was asked
    bool handRestart = false; // `restart` asked while the server ran

    // Failures the process survives (FailureWatch.h): its output lines and
    // status queries over UDP to the port it bound.
    FailureWatch failureWatch;
    std::uint64_t watchedLine = 0;
    QTimer watchTimer;
    int queryFd = -1;
    QSocketNotifier* queryNotifier = nullptr;
    sockaddr_in queryTo{};
    std::int64_t lastQueryMs = 0;
    std::string failureSeen; // the failure the host ended the server for

    // Connections that asked for new lines, and the last number each got.
    std::map<std::uint64_t, std::uint64_t> subscribers;
    std::vector<std::string> drops;
    bool pushing = false;

    explicit Impl(HostOptions o) : options(std::move(o)) {}

    ~Impl()
    {
        g_onDisplayLost = nullptr;
        if (endpoint)
            endpoint->stop();
        for (auto& [fd, pair] : notifiers) {
            delete pair.first;
            delete pair.second;
        }
        delete outputNotifier;
        delete signalNotifier;
        delete queryNotifier;
        if (queryFd >= 0)
            ::close(queryFd);
    }

    void watch(int fd, bool read, bool write)
    {
        auto& pair = notifiers[fd];
        if (!pair.first) {
            pair.first = new QSocketNotifier(fd, QSocketNotifier::Read);
            QObject::connect(pair.first, &QSocketNotifier::activated, [this, fd] { endpoint->readable(fd); });
            pair.second = new QSocketNotifier(fd, QSocketNotifier::Write);
            QObject::connect(pair.second, &QSocketNotifier::activated, [this, fd] { endpoint->writable(fd); });
        }
        pair.first->setEnabled(read);
        pair.second->setEnabled(write);
    }

    void forget(int fd)
    {
        auto it = notifiers.find(fd);
        if (it == notifiers.end())
            return;
        // The notifier may be the one whose signal is being handled.
        for (QSocketNotifier* n : {it->second.first, it->second.second}) {
            n->setEnabled(false);
            n->deleteLater();
        }
        notifiers.erase(it);
    }

    void subscribe(std::uint64_t from, std::uint64_t after)
    {
        subscribers[from] = after;
        endpoint->keepAlive(from);
        // After the answer to the request is out: pushes follow it.
        QTimer::singleShot(0, &exitTimer, [this, from] { pushTo(from); });
    }

    // Sends a subscriber what it has not had, as far as its queue allows.
    void pushTo(std::uint64_t from)
    {
        auto it = subscribers.find(from);
        if (it == subscribers.end() || pushing)
            return;
        pushing = true;
        const LineRing& ring = model.ring();
        while (it->second < ring.newest()) {
            if (endpoint->pending(from) >= kSubscriberQueue) {
                std::uint64_t passed = ring.oldest() > it->second + 1 ? ring.oldest() - it->second - 1 : 0;
                if (passed > kSubscriberMaxMissed) {
                    std::string reason = "subscriber " + std::to_string(from) + " dropped: it stopped reading ("
                        + std::to_string(passed) + " lines passed it by, "
                        + std::to_string(endpoint->pending(from) / 1024) + " KiB unread)";
                    drops.push_back(reason);
                    if (drops.size() > kDropsKept)
                        drops.erase(drops.begin());
                    subscribers.erase(it);
                    endpoint->close(from);
                }
                break;
            }
            LineBatch batch = ring.read(it->second, kPushBytes);
            it->second = batch.lines.empty() ? batch.newest : batch.first + batch.lines.size() - 1;
            if (!endpoint->push(from, std::string(1, '\0') + ipc::encodeBatch(batch))) {
                subscribers.erase(it);
                break;
            }
        }
        pushing = false;
    }

    void pushAll()
    {
        std::vector<std::uint64_t> all;
        for (const auto& [from, after] : subscribers)
            all.push_back(from);
        for (std::uint64_t from : all)
            pushTo(from);
    }

    std::string stats() const
    {
        std::string text = "; " + std::to_string(subscribers.size()) + " subscriber(s)";
        for (const auto& [from, after] : subscribers)
            text += "\n  subscriber " + std::to_string(from) + " at line " + std::to_string(after) + ", "
                + std::to_string(endpoint->pending(from) / 1024) + " KiB unread";
        for (const std::string& drop : drops)
            text += "\n  " + drop;
        return text;
    }

    void readServer()
    {
        // The server read its input before it could answer it: the echo
        // goes first.
        settleInput();
        for (int reads = 0; reads < 8; ++reads) {
            auto bytes = server.readOutput();
            if (!bytes) {
                outputEnded = true;
                if (outputNotifier)
                    outputNotifier->setEnabled(false);
                checkExit();
                return;
            }
            if (bytes->empty())
                return;
            model.serverOutput(*bytes);
            watchLines();
        }
    }

    void watchLines()
    {
        const LineRing& ring = model.ring();
        if (watchedLine < ring.oldest() - 1)
            watchedLine = ring.oldest() - 1;
        while (watchedLine < ring.newest()) {
            LineBatch batch = ring.read(watchedLine, 64 * 1024);
            if (batch.lines.empty())
                break;
            for (const NumberedLine& line : batch.lines)
                failureWatch.outputLine(line.text, steadyMs());
            watchedLine = batch.first + batch.lines.size() - 1;
        }
    }

    // Every tick: a status query every two seconds, and a look for failures.
    void watchTick()
    {
        if (finished || !server.running())
            return;
        std::int64_t now = steadyMs();
        if (now - lastQueryMs >= FailureWatch::kQueryEveryMs) {
            lastQueryMs = now;
            sendQuery(now);
        }
        std::string failure = failureWatch.failure(now);
        if (failure.empty() || !failureSeen.empty())
            return;
        failureSeen = failure;
        if (options.restart == RestartMode::Never) {
            model.note("*** The server " + failure + "\n");
            return;
        }
        // A hung server may be stopped (SIGSTOP): it goes on to take the
        // SIGTERM; one that ignores it is killed.
        server.signal(SIGTERM);
        server.signal(SIGCONT);
        QTimer::singleShot(kTermGraceMs, [this, start = starts] {
            if (!finished && start == starts)
                server.signal(SIGKILL);
        });
    }

    void sendQuery(std::int64_t now)
    {
        if (queryFd < 0) {
            queryFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (queryFd < 0)
                return;
            queryNotifier = new QSocketNotifier(queryFd, QSocketNotifier::Read);
            QObject::connect(queryNotifier, &QSocketNotifier::activated, [this] { readAnswers(); });
        }
        if (queryTo.sin_port == 0) {
            // The port the server bound (it may have been given port 0).
            auto ports = udpPortsOf(server.pid());
            if (ports.empty())
                return;
            queryTo.sin_family = AF_INET;
            queryTo.sin_port = htons(static_cast<std::uint16_t>(ports.front().port));
            queryTo.sin_addr.s_addr = htonl(ports.front().address ? ports.front().address : INADDR_LOOPBACK);
        }
        static const char kQuery[] = "\xff\xff\xff\xffgetstatus\n";
        ::sendto(queryFd, kQuery, sizeof kQuery - 1, 0, reinterpret_cast<const sockaddr*>(&queryTo), sizeof queryTo);
        failureWatch.querySent(now);
    }

    void readAnswers()
    {
        char buffer[2048];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        ssize_t n;
        while ((n = ::recvfrom(queryFd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length)) > 0) {
            if (from.sin_port == queryTo.sin_port
                && std::string_view(buffer, static_cast<std::size_t>(n)).starts_with("\xff\xff\xff\xffstatusResponse"))
                failureWatch.answered();
            length = sizeof from;
        }
    }

    // Lines go to the server the way the engine reads them: one read per
    // frame takes everything in the pipe (up to 256 bytes) and runs every
    // line in it. So the next batch is written once the pipe is empty
    // again, which is also when the lines in flight are echoed.
    void feed()
    {
        if (!server.running()) {
            model.dropInFlight();
            while (model.hasQueuedLine())
                model.takeQueuedLine();
            return;
        }
        settleInput();
        if (!model.hasInFlight() && model.hasQueuedLine()) {
            std::string batch = model.takeBatch(ConsoleModel::kMaxLineBytes);
            if (asksToQuit(batch))
                quitAsked = true;
            if (!server.writeLine(batch)) {
                model.dropInFlight();
                model.note("(the server does not take input any more; the line was lost)\n");
            }
        }
        if ((model.hasInFlight() || model.hasQueuedLine()) && !feedTimer.isActive())
            feedTimer.start();
    }

    // Echoes the lines in flight once the server has read them.
    void settleInput()
    {
        if (model.hasInFlight() && server.unreadInput() == 0)
            model.inputTaken();
    }

    void checkExit()
    {
        if (finished || !server.pollExit())
            return;
        // Take what the server wrote before it went.
        while (!outputEnded) {
            auto bytes = server.readOutput();
            if (!bytes || bytes->empty())
                break;
            model.serverOutput(*bytes);
        }
        finished = true;
        status = server.exitStatus();
        exitTimer.stop();
        graceTimer.stop();
        model.setAcceptingLines(false);
        model.dropInFlight();
        model.failExecs();
        afterExit();
    }

    // The server ended: start it again, or not, and say which.
    void afterExit()
    {
        std::int64_t now = clock->unixSeconds();
        ServerEnd end{server.exitSignal(), server.exitSignal() ? 0 : server.exitStatus(), quitAsked || quitting,
                      std::move(failureSeen)};
        failureSeen.clear();
        if (handRestart && !quitting) {
            handRestart = false;
            model.note("\n*** The server " + RestartPolicy::describeEnd(end) + "; starting it again, as asked\n");
            restartServer();
            return;
        }
        auto decision = policy.ended(end, now);
        model.note("\n" + decision.line + "\n");
        if (quitting) {
            leave();
            return;
        }
        if (decision.state == RestartPolicy::State::Restarting)
            restartTimer.start(decision.delaySeconds * 1000);
        else if (decision.state == RestartPolicy::State::Ended && !options.keep)
            leave();
        // Stopped after a crash loop: the host stays, so the operator sees
        // why and can restart by hand.
    }

    void restartServer()
    {
        restartTimer.stop();
        std::int64_t now = clock->unixSeconds();
        policy.started(now);
        std::string error;
        if (!server.start(options.command, error)) {
            model.note("*** The server could not be started again: " + error + "\n");
            auto decision = policy.ended({0, 127, false, {}}, now);
            model.note(decision.line + "\n");
            if (decision.state == RestartPolicy::State::Restarting)
                restartTimer.start(decision.delaySeconds * 1000);
            return;
        }
        ++starts;
        quitAsked = false;
        failureWatch.started();
        queryTo = {};
        finished = false;
        outputEnded = false;
        status = 0;
        requests.setServerPid(server.pid());
        model.setAcceptingLines(true);
        model.note("*** The server was started again (start " + std::to_string(starts) + ")\n");
        // The old notifier may be the one whose signal runs now.
        if (outputNotifier)
            outputNotifier->deleteLater();
        outputNotifier = new QSocketNotifier(server.outputFd(), QSocketNotifier::Read);
        QObject::connect(outputNotifier, &QSocketNotifier::activated, [this] { readServer(); });
        exitTimer.start();
    }

    // Asks the server to quit, then ends it if it does not.
    void endServer()
    {
        model.submit("quit");
        graceTimer.setSingleShot(true);
        graceTimer.start(kQuitGraceMs);
    }

    ConsoleRequests::Supervision supervise(ipc::SuperviseAction action)
    {
        if (action == ipc::SuperviseAction::Restart) {
            policy.restartedByHand();
            if (!finished) {
                handRestart = true;
                endServer();
            } else {
                model.note("*** Restarted by hand\n");
                restartServer();
            }
        } else if (action == ipc::SuperviseAction::Stop) {
            if (!finished) {
                quitAsked = true;
                endServer();
            } else if (policy.state() != RestartPolicy::State::Ended) {
                restartTimer.stop();
                policy.ended({0, 0, true, {}}, clock->unixSeconds());
                model.note("*** Stopped by hand: the server is not started again\n");
                // After this answer is out.
                if (!options.keep)
                    QTimer::singleShot(100, &exitTimer, [this] { leave(); });
            }
        }
        ConsoleRequests::Supervision state;
        state.state = static_cast<ipc::ServerState>(policy.state());
        state.starts = starts;
        state.text = policy.describe(clock->unixSeconds());
        return state;
    }

    void checkEndpoint()
    {
        if (!endpoint)
            return;
        endpoint->expireIdle();
        std::string problem;
        if (!endpoint->restore(problem) && problem != endpointProblem)
            std::fprintf(stderr, "ravelin-console: cannot make the endpoint again: %s\n", problem.c_str());
        endpointProblem = problem;
    }

    // Replaces this process by a new host over the same server and endpoint:
    // headless, or windowed on `display`. Returns only when that failed.
    void replaceSelf(bool headless, const std::string& display, const std::string& authority = {})
    {
        model.inputTaken();
        Handover handover;
        // A server that ended and waits for its restart (or stays ended,
        // kept) goes over as such: the next self starts it again when due.
        handover.serverGone = finished;
        handover.serverPid = finished ? 0 : server.pid();
        handover.serverInput = finished ? -1 : server.inputFd();
        handover.serverOutput = finished ? -1 : server.outputFd();
        handover.restartInMs = restartTimer.isActive() ? restartTimer.remainingTime() : -1;
        handover.command = options.command;
        handover.starts = starts;
        handover.restartState = static_cast<std::uint8_t>(policy.state());
        handover.crashes = static_cast<std::uint32_t>(policy.crashesInWindow());
        handover.restarts = static_cast<std::uint32_t>(policy.restarts());
        handover.listenFd = endpoint->listenFd();
        handover.folder = endpoint->folder().string();
        handover.name = endpoint->name();
        handover.keep = options.keep;
        handover.lostDisplay = headless;
        handover.output = model.output();
        handover.input = model.input();
        // Without a display there is no window to see.
        handover.visible = !headless;
        handover.queued = model.queueCopy();
        handover.ringBytes = model.ring().maxBytes();
        LineBatch kept = model.ring().read(model.ring().oldest() - 1, SIZE_MAX);
        handover.firstLine = kept.lines.empty() ? model.ring().newest() + 1 : kept.first;
        handover.lines = std::move(kept.lines);
        std::string bytes = encodeHandover(handover);
        int state = ::memfd_create("ravelin-console-handover", 0);
        if (state < 0 || ::write(state, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())
            || ::lseek(state, 0, SEEK_SET) != 0)
            return;
        server.keepAcrossExec(!finished);
        ::fcntl(handover.listenFd, F_SETFD, 0);
        std::error_code ec;
        std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
        std::string fd = std::to_string(state);
        std::vector<const char*> argv{self.c_str(), "--adopt", fd.c_str()};
        if (headless)
            argv.push_back("--headless");
        if (options.keep)
            argv.push_back("--keep");
        argv.push_back("--restart");
        argv.push_back(restartModeName(options.restart));
        argv.push_back(nullptr);
        if (!display.empty())
            ::setenv("DISPLAY", display.c_str(), 1);
        if (!authority.empty())
            ::setenv("XAUTHORITY", authority.c_str(), 1);
        ::execv(self.c_str(), const_cast<char* const*>(argv.data()));
        server.keepAcrossExec(false);
        ::fcntl(handover.listenFd, F_SETFD, FD_CLOEXEC);
        ::close(state);
    }

    void showOnDisplay(const std::string& display, const std::string& authority)
    {
        if (!lostDisplay || window)
            return;
        if (!localDisplayReachable(display)) {
            model.note("(cannot show the window on display " + display + ")\n");
            return;
        }
        // After this request's answer is out.
        QTimer::singleShot(50, [this, display, authority] {
            if (!displayOpens(display, authority)) {
                model.note("(cannot show the window on display " + display
                           + ": it refused the connection; is XAUTHORITY set where you ran show?)\n");
                return;
            }
            replaceSelf(false, display, authority);
        });
    }

    // Whether the host stays once its server ended: a restart pending, a
    // crash loop stopped (the operator is to see why), or kept.
    bool staysWhenEnded() const { return policy.state() != RestartPolicy::State::Ended || options.keep; }

    void leave()
    {
        g_onDisplayLost = nullptr;
        if (endpoint)
            endpoint->stop();
        QCoreApplication::exit(status);
    }

    void onTerminate()
    {
        if (finished) {
            leave();
            return;
        }
        if (quitting) {
            server.signal(SIGKILL);
            return;
        }
        quitting = true;
        model.submit("quit");
        graceTimer.setSingleShot(true);
        graceTimer.start(kQuitGraceMs);
    }

    void onGraceOver()
    {
        if (finished)
            return;
        model.note("(the server did not quit in time; ending it)\n");
        server.signal(SIGTERM);
        QTimer::singleShot(kTermGraceMs, [this, start = starts] {
            if (!finished && start == starts)
                server.signal(SIGKILL);
        });
    }
};

ConsoleHost::ConsoleHost(HostOptions options) : d(std::make_unique<Impl>(std::move(options))) {}

ConsoleHost::~ConsoleHost() = default;

int ConsoleHost::exitStatus() const { return d->status; }

bool ConsoleHost::start()
{
    auto folder = ipc::defaultEndpointFolder();
    if (std::string problem = ipc::prepareEndpointFolder(folder); !problem.empty()) {
        std::fprintf(stderr, "ravelin-console: %s\n", problem.c_str());
        d->status = 1;
        return false;
    }

    // Signals are caught before the endpoint appears: a client that sees the
    // host may signal it at once (they are handled once the loop runs).
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGHUP, &action, nullptr);
        d->signalNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(d->signalNotifier, &QSocketNotifier::activated, [this] {
            unsigned char bytes[16];
            while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {}
            d->onTerminate();
        });
    }
    ::signal(SIGPIPE, SIG_IGN);

    std::optional<Handover> handover;
    if (d->options.adoptFd >= 0) {
        std::string bytes;
        char buffer[65536];
        ssize_t n;
        while ((n = ::read(d->options.adoptFd, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, static_cast<std::size_t>(n));
        ::close(d->options.adoptFd);
        handover = decodeHandover(bytes);
        if (!handover) {
            std::fprintf(stderr, "ravelin-console: the handover from the previous host is unreadable\n");
            d->status = 1;
            return false;
        }
    }

    d->model.setRingBytes(d->options.keepBytes);
    std::string error;
    if (handover) {
        if (handover->ringBytes != 0)
            d->model.restoreLines(handover->ringBytes, handover->firstLine, handover->lines);
        if (d->options.command.empty())
            d->options.command = handover->command;
        if (handover->serverGone) {
            d->finished = true;
            d->model.setAcceptingLines(false);
            d->pendingRestartMs = handover->restartInMs;
        } else {
            d->server.adopt(handover->serverPid, handover->serverInput, handover->serverOutput);
        }
        d->starts = handover->starts;
        d->model.setOutput(handover->output);
        d->model.setInput(handover->input);
        d->model.setVisible(handover->visible);
        d->model.restoreQueue(handover->queued);
        d->lostDisplay = handover->lostDisplay;
        if (d->lostDisplay)
            d->model.note("(the display went away; the server runs on without a window: "
                          "\"ravelin-console show "
                          + std::to_string(::getpid()) + "\" shows it again)\n");
    } else if (!d->server.start(d->options.command, error)) {
        std::fprintf(stderr, "ravelin-console: %s\n", error.c_str());
        d->status = 127;
        return false;
    } else if (!d->options.refusedDisplay.empty()) {
        d->lostDisplay = true;
        std::string text = "display " + d->options.refusedDisplay
            + " refused the connection; the server runs without a window: \"ravelin-console show "
            + std::to_string(::getpid()) + "\" shows it";
        std::fprintf(stderr, "ravelin-console: %s\n", text.c_str());
        d->model.note("(" + text + ")\n");
    }
    d->requests.setServerPid(d->server.pid());
    d->requests.setShowOnDisplay(
        [this](const std::string& display, const std::string& authority) { d->showOnDisplay(display, authority); });

    d->requests.setSubscribe([this](std::uint64_t from, std::uint64_t after) { d->subscribe(from, after); });
    d->requests.setStatsExtra([this] { return d->stats(); });
    d->requests.setSupervise([this](ipc::SuperviseAction action) { return d->supervise(action); });
    std::int64_t now = d->clock->unixSeconds();
    if (handover && handover->restartState <= static_cast<std::uint8_t>(RestartPolicy::State::Ended)) {
        std::int64_t due = now + (std::max<std::int64_t>(handover->restartInMs, 0) + 999) / 1000;
        d->policy.resume(static_cast<RestartPolicy::State>(handover->restartState), static_cast<int>(handover->crashes),
                         static_cast<int>(handover->restarts), now, due);
    } else {
        d->policy.started(now);
    }
    EndpointServer::Watcher watcher{[this](int fd, bool r, bool w) { d->watch(fd, r, w); },
                                    [this](int fd) { d->forget(fd); },
                                    [this](EndpointServer::Connection from) {
                                        d->requests.forget(from);
                                        d->subscribers.erase(from);
                                    },
                                    [this](EndpointServer::Connection from) { d->pushTo(from); }};
    d->endpoint = std::make_unique<EndpointServer>(
        [this](EndpointServer::Connection from, std::string_view payload, bool& closeAfter) {
            return d->requests.answer(payload, closeAfter, from);
        },
        std::move(watcher));
    if (handover) {
        d->endpoint->adopt(handover->listenFd, handover->folder, handover->name);
    } else if (!d->endpoint->start(folder, ipc::makeEndpointName(nowNs(), ::getpid()), error)) {
        std::fprintf(stderr, "ravelin-console: %s\n", error.c_str());
        d->endpoint.reset();
        d->server.signal(SIGKILL);
        d->status = 1;
        return false;
    }

    ConsoleModel::Events events;
    events.outputChanged = [this](bool replaced, std::string_view appended) {
        if (d->window)
            d->window->outputChanged(replaced, appended);
    };
    events.inputChanged = [this] {
        if (d->window)
            d->window->inputChanged();
    };
    events.inputTyped = [this](char character) {
        if (d->window)
            d->window->inputTyped(character);
    };
    events.inputEntered = [this] {
        if (d->window)
            d->window->inputEntered();
    };
    events.visibilityChanged = [this](bool visible) {
        if (d->window)
            d->window->setVisible(visible);
    };
    events.lineQueued = [this] { d->feed(); };
    events.linesAdded = [this] {
        if (!d->subscribers.empty())
            d->pushAll();
    };
    events.copyRequested = [this](const std::string& text) {
        if (d->window)
            d->window->copy(text);
    };
    events.focusRequested = [this] {
        if (d->window)
            d->window->focusInput();
    };
    d->model.setEvents(std::move(events));

    if (!d->options.headless) {
        d->window = std::make_unique<ConsoleWindow>(d->model);
        d->window->setCloseHandler([this] {
            if (d->finished)
                d->leave();
            else
                d->model.click(ipc::kQuitButton);
        });
        d->window->setVisible(d->model.visible());
        static bool registered = false;
        if (!registered)
            std::atexit(handOverAtExit);
        registered = true;
        g_onDisplayLost = [this] {
            if (d->endpoint && (d->finished ? d->staysWhenEnded() : d->server.running()))
                d->replaceSelf(true, {});
        };
    }

    if (d->server.outputFd() >= 0) {
        d->outputNotifier = new QSocketNotifier(d->server.outputFd(), QSocketNotifier::Read);
        QObject::connect(d->outputNotifier, &QSocketNotifier::activated, [this] { d->readServer(); });
    }
    d->exitTimer.setInterval(kExitPollMs);
    QObject::connect(&d->exitTimer, &QTimer::timeout, [this] { d->checkExit(); });
    d->exitTimer.start();
    d->feedTimer.setSingleShot(true);
    d->feedTimer.setInterval(kFeedPollMs);
    QObject::connect(&d->feedTimer, &QTimer::timeout, [this] { d->feed(); });
    QObject::connect(&d->graceTimer, &QTimer::timeout, [this] { d->onGraceOver(); });
    d->watchTimer.setInterval(kWatchTickMs);
    QObject::connect(&d->watchTimer, &QTimer::timeout, [this] { d->watchTick(); });
    d->watchTimer.start();
    d->restartTimer.setSingleShot(true);
    QObject::connect(&d->restartTimer, &QTimer::timeout, [this] { d->restartServer(); });
    if (d->pendingRestartMs >= 0)
        d->restartTimer.start(static_cast<int>(d->pendingRestartMs));
    // Idle clients go, and an endpoint removed from under us comes back, so
    // the host stays reachable.
    d->endpointTimer.setInterval(kEndpointCheckMs);
    QObject::connect(&d->endpointTimer, &QTimer::timeout, [this] { d->checkEndpoint(); });
    d->endpointTimer.start();
    if (d->model.hasQueuedLine())
        d->feed();
    return true;
}

} // namespace ravelin::consolehost
