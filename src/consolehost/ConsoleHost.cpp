#include "consolehost/ConsoleHost.h"

#include "consolehost/ConsoleRequests.h"
#include "consolehost/ConsoleWindow.h"
#include "consolehost/EndpointServer.h"
#include "consolehost/ServerProcess.h"
#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/IpcProtocol.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace ravelin::consolehost {

namespace {

// How long the server gets to quit on its own after SIGTERM/SIGINT, and then
// after SIGTERM, before it is killed.
constexpr int kQuitGraceMs = 3000;
constexpr int kTermGraceMs = 2000;
constexpr int kExitPollMs = 50;
constexpr int kFeedPollMs = 2;

int g_signalPipe[2] = {-1, -1};

void onSignal(int number)
{
    unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
}

std::uint64_t nowNs()
{
    timespec t {};
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

struct ConsoleHost::Impl {
    HostOptions options;
    ConsoleModel model;
    ServerProcess server;
    ConsoleRequests requests {model, HostFacts {::getpid(), 0}};
    std::unique_ptr<EndpointServer> endpoint;
    std::unique_ptr<ConsoleWindow> window;
    std::map<int, std::pair<QSocketNotifier*, QSocketNotifier*>> notifiers;
    QSocketNotifier* outputNotifier = nullptr;
    QSocketNotifier* signalNotifier = nullptr;
    QTimer exitTimer;
    QTimer feedTimer;
    QTimer graceTimer;
    int status = 0;
    bool outputEnded = false;
    bool finished = false;
    bool quitting = false;

    explicit Impl(HostOptions o) : options(std::move(o)) {}

    ~Impl()
    {
        if (endpoint)
            endpoint->stop();
        for (auto& [fd, pair] : notifiers) {
            delete pair.first;
            delete pair.second;
        }
        delete outputNotifier;
        delete signalNotifier;
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

    void readServer()
    {
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
        }
    }

    void feed()
    {
        if (!model.hasQueuedLine())
            return;
        if (!server.running()) {
            while (model.hasQueuedLine())
                model.takeQueuedLine();
            return;
        }
        // One line per read on the server's side: wait until it took the
        // previous one.
        if (server.unreadInput() == 0) {
            std::string line = model.takeQueuedLine();
            if (!server.writeLine(line))
                model.note("(the server does not take input any more; the line was lost)\n");
        }
        if (model.hasQueuedLine() && !feedTimer.isActive())
            feedTimer.start();
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
        std::string text = "\nServer ";
        text += server.exitDescription();
        text += ".\n";
        model.note(text);
        if (!options.keep || quitting)
            leave();
    }

    void leave()
    {
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
        QTimer::singleShot(kTermGraceMs, [this] {
            if (!finished)
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

    std::string error;
    if (!d->server.start(d->options.command, error)) {
        std::fprintf(stderr, "ravelin-console: %s\n", error.c_str());
        d->status = 127;
        return false;
    }
    d->requests.setServerPid(d->server.pid());

    EndpointServer::Watcher watcher {[this](int fd, bool r, bool w) { d->watch(fd, r, w); },
                                     [this](int fd) { d->forget(fd); }};
    d->endpoint = std::make_unique<EndpointServer>(
        [this](std::string_view payload, bool& closeAfter) { return d->requests.answer(payload, closeAfter); },
        std::move(watcher));
    if (!d->endpoint->start(folder, ipc::makeEndpointName(nowNs(), ::getpid()), error)) {
        std::fprintf(stderr, "ravelin-console: %s\n", error.c_str());
        d->endpoint.reset();
        d->server.signal(SIGKILL);
        d->status = 1;
        return false;
    }

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
            while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            d->onTerminate();
        });
    }
    ::signal(SIGPIPE, SIG_IGN);

    ConsoleModel::Events events;
    events.outputChanged = [this](bool replaced, std::string_view appended) {
        if (d->window)
            d->window->outputChanged(replaced, appended);
    };
    events.inputChanged = [this] {
        if (d->window)
            d->window->inputChanged();
    };
    events.visibilityChanged = [this](bool visible) {
        if (d->window)
            d->window->setVisible(visible);
    };
    events.lineQueued = [this] { d->feed(); };
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
        d->window->show();
    }

    d->outputNotifier = new QSocketNotifier(d->server.outputFd(), QSocketNotifier::Read);
    QObject::connect(d->outputNotifier, &QSocketNotifier::activated, [this] { d->readServer(); });
    d->exitTimer.setInterval(kExitPollMs);
    QObject::connect(&d->exitTimer, &QTimer::timeout, [this] { d->checkExit(); });
    d->exitTimer.start();
    d->feedTimer.setSingleShot(true);
    d->feedTimer.setInterval(kFeedPollMs);
    QObject::connect(&d->feedTimer, &QTimer::timeout, [this] { d->feed(); });
    QObject::connect(&d->graceTimer, &QTimer::timeout, [this] { d->onGraceOver(); });
    return true;
}

} // namespace ravelin::consolehost
