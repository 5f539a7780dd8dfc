// q3sim: the I/O loop around q3sim_core. One poll() serves standard input,
// the UDP socket and the timers of the simulation and the flood; nothing
// here decides what the server says.
#include "q3sim/CommandText.h"
#include "q3sim/Options.h"
#include "q3sim/Failures.h"
#include "q3sim/Server.h"
#include "q3sim/Simulation.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cmath>
#include <algorithm>
#include <filesystem>
#include <random>

namespace {

int g_outputFd = STDOUT_FILENO;
volatile std::sig_atomic_t g_stop = 0;

// One whole line per write, so each line is out the moment it is printed (a
// pipe is not a terminal and nothing else would flush it).
void writeLine(const std::string& line)
{
    std::string text = line + "\n";
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(g_outputFd, data, left);
        if (n < 0) {
            // A reader that stopped reading must not keep us from ending.
            if (errno == EINTR && !g_stop)
                continue;
            // Nobody reads us any more: a server without a console has no
            // one to serve here, so end instead of playing on unheard.
            std::_Exit(0);
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
}

void onSignal(int) { g_stop = 1; }

// Binds the UDP socket as the engine does: net_port and up to nine ports
// above it when taken; port 0 lets the system choose.
int openSocket(const std::string& address, int port, int& boundPort)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return -1;
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port == 0 ? 0 : port + attempt));
        if (address.empty() || address == "0.0.0.0" || ::inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1)
            addr.sin_addr.s_addr = htonl(address == "localhost" ? INADDR_LOOPBACK : INADDR_ANY);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            socklen_t len = sizeof addr;
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
            boundPort = ntohs(addr.sin_port);
            return fd;
        }
        writeLine("WARNING: UDP_OpenSocket: bind: " + std::string(std::strerror(errno)));
        ::close(fd);
        if (port == 0)
            break;
    }
    return -1;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    // Started with a standard descriptor closed, the socket could take its
    // number and be mistaken for the console; /dev/null keeps the places.
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("q3sim %s\n", RAVELIN_VERSION_TEXT);
        return 0;
    }
    std::string error;
    auto options = q3sim::parseOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "q3sim: %s\n\n%s", error.c_str(), q3sim::usageText().c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(q3sim::usageText().c_str(), stdout);
        return 0;
    }
    if (options->toStderr)
        g_outputFd = STDERR_FILENO;
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = onSignal;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);

    std::uint64_t seed = options->seed ? *options->seed : std::random_device{}();
    std::error_code ec;
    std::string cwd = std::filesystem::current_path(ec).string();
    q3sim::Server server(writeLine, seed, cwd);
    for (const auto& [name, value] : options->sets)
        server.startupSet(name, value);
    if (options->maxPlayers)
        server.startupSet("sv_maxclients", std::to_string(*options->maxPlayers));
    server.finishStartupSets();
    server.setIoq3Forms(options->ioq3);
    server.setChatEcho(options->chatEcho);
    server.setIoq3WriteConfig(options->ioq3WriteConfig);

    for (const std::string& line : server.bannerLines())
        writeLine(line);
    int boundPort = 0;
    int udp = openSocket(server.cvars().value("net_ip"), server.cvars().integer("net_port"), boundPort);
    if (udp >= 0) {
        server.startupSet("net_port", std::to_string(boundPort));
        writeLine("Opening IP socket: 0.0.0.0:" + std::to_string(boundPort));
    } else {
        writeLine("WARNING: Couldn't allocate IP port");
    }

    // A map runs from the start unless the command line loads one itself.
    bool loadsMap = false;
    for (const auto& command : options->commands)
        if (q3sim::equalsNoCase(command[0], "map") || q3sim::equalsNoCase(command[0], "devmap"))
            loadsMap = true;
    if (!loadsMap && !options->noMap)
        server.spawnMap("q3dm17");
    for (const auto& command : options->commands)
        server.execute(command);
    if (server.mapRunning())
        for (const std::string& name : options->players)
            if (!server.connectPlayer(name, false))
                writeLine("WARNING: no free slot for " + name);

    q3sim::Simulation simulation(options->intervals);
    q3sim::Flood flood(options->flood, options->floodRate, options->floodSeconds);
    std::int64_t floodPrinted = 0;
    const auto gameStart = std::chrono::steady_clock::now();
    bool stdinOpen = true;
    // With a frame time the console is read once per frame, as the engine
    // reads it from its frame loop.
    const auto frame = std::chrono::milliseconds(options->frameMs);
    auto nextRead = std::chrono::steady_clock::now();

    // A client connected by sim_connect begins half a second later, as a
    // real one does once it has loaded the map.
    constexpr double kBeginDelay = 0.5;
    double beginAt = -1;

    while (!server.quitRequested() && !g_stop) {
        // Flood lines go out in batches so the console and the network are
        // still served while a large burst is printed.
        double floodTime = secondsSince(gameStart);
        std::int64_t due = std::min(flood.dueBy(floodTime), floodPrinted + 2000);
        while (floodPrinted < due) {
            std::string line = q3sim::Flood::line(++floodPrinted);
            if (options->floodStamps)
                line += " at=" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
            writeLine(line);
        }

        double now = secondsSince(gameStart);
        if (options->crashAfter > 0 && now >= options->crashAfter)
            q3sim::crashNow(SIGSEGV);
        simulation.advance(server, now);
        if (server.quitRequested())
            break;

        if (!server.hasPendingBegins())
            beginAt = -1;
        else if (beginAt < 0)
            beginAt = now + kBeginDelay;
        else if (now >= beginAt) {
            server.beginPending();
            beginAt = -1;
        }

        int timeout = 1000;
        auto shorten = [&timeout](double seconds) {
            if (seconds < 0)
                return;
            int ms = static_cast<int>(std::ceil(seconds * 1000.0));
            if (ms < timeout)
                timeout = ms;
        };
        shorten(simulation.nextDue(now));
        if (options->crashAfter > 0)
            shorten(options->crashAfter - now);
        if (beginAt >= 0)
            shorten(beginAt - now);
        shorten(flood.nextDue(secondsSince(gameStart), floodPrinted));
        bool readDue = true;
        if (frame.count() > 0) {
            auto wait = nextRead - std::chrono::steady_clock::now();
            if (wait > std::chrono::steady_clock::duration::zero()) {
                readDue = false;
                shorten(std::chrono::duration<double>(wait).count());
            }
        }

        pollfd fds[2];
        int count = 0;
        int stdinIndex = -1;
        int udpIndex = -1;
        if (stdinOpen && readDue) {
            stdinIndex = count;
            fds[count++] = {STDIN_FILENO, POLLIN, 0};
        }
        if (udp >= 0) {
            udpIndex = count;
            fds[count++] = {udp, POLLIN, 0};
        }
        int ready = ::poll(fds, static_cast<nfds_t>(count), timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (stdinIndex >= 0 && (fds[stdinIndex].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL))) {
            char buffer[q3sim::kStdinReadSize];
            ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                // End of input: the server plays on without a console.
                stdinOpen = false;
            } else if (n > 0) {
                nextRead = std::chrono::steady_clock::now() + frame;
                server.executeText(q3sim::pipedReadText(std::string_view(buffer, static_cast<std::size_t>(n))));
            }
        }
        if (udpIndex >= 0 && (fds[udpIndex].revents & POLLIN)) {
            // Drain what has arrived, a bounded number per pass.
            for (int i = 0; i < 64; ++i) {
                char packet[2048];
                sockaddr_in from{};
                socklen_t fromLen = sizeof from;
                ssize_t n = ::recvfrom(udp, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
                if (n < 0)
                    break;
                auto reply = server.answerPacket(std::string_view(packet, static_cast<std::size_t>(n)));
                if (reply) {
                    ::sendto(udp, reply->data(), reply->size(), 0, reinterpret_cast<sockaddr*>(&from), fromLen);
                    if (server.hangAfterAnswer())
                        q3sim::hangNow();
                }
            }
        }
    }
    if (udp >= 0)
        ::close(udp);
    return 0;
}
