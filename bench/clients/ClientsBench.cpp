// The roster's cost with 64 players.
//
// Logic: a reply of 64 players is parsed alone (the reference), merged into
// a roster that already holds all 64 with their slots (the steady state of
// a monitored server), and a reconciliation pass runs over that roster
// against the reply (no command is sent: every player is there and every
// slot known). Reported: microseconds per operation and the ratios to the
// parse.
//
// Window: a main window connected to q3sim with 64 players through a real
// console host idles with monitoring off, then with monitoring on (a query
// and a merge a second, replies over loopback UDP). Reported: the share of
// one core in each period and the difference (goal: under 1 point).
//
//   clients_bench [--iterations 20000] [--seconds 20]
#include "../support/HeadlessHost.h"
#include "../support/HostedDesktop.h"
#include "clients/ClientsFeature.h"
#include "clients/PlayerText.h"
#include "clients/StatusReply.h"
#include "mainwindow/FrmMain.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimServices.h"
#include "platform/sim/SimUdpSocket.h"

#include <QApplication>
#include <QCheckBox>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace ravelin;
using bench::runFor;
namespace fs = std::filesystem;

namespace {

constexpr int kPlayers = 64;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::vector<std::string> playerNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < kPlayers; ++i)
        names.push_back((i % 3 == 0 ? "^" + std::to_string(i % 8) : std::string()) + "Player " + std::to_string(i));
    return names;
}

template <typename F>
double microsecondsPer(int iterations, F&& work)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i)
        work();
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / iterations;
}

struct LogicResult {
    double parseUs = 0, mergeUs = 0, passUs = 0;
};

LogicResult measureLogic(int iterations)
{
    sim::SimDesktop desktop;
    sim::SimMessageLoop loop;
    ConsoleBridge bridge(desktop, loop);
    CvarProbe probe(bridge);
    sim::ScriptedDialogs dialogs;
    sim::SimUdpSocket socket;
    bridge.setSelectedConsole(desktop.addConsole().handle());
    bool unloading = false;
    ClientsFeature clients(ClientsServices{bridge, probe, dialogs, &socket, {}}, unloading);
    clients.query().setServerPort(27960);

    std::string reply = std::string("\xff\xff\xff\xff") + "statusResponse\n\\sv_hostname\\Bench\\sv_maxclients\\64\n";
    std::string block = "num score ping name            lastmsg address               qport rate\r\n";
    const std::vector<std::string> names = playerNames();
    for (int i = 0; i < kPlayers; ++i) {
        reply +=
            std::to_string(i * 3) + " " + std::to_string(40 + i) + " \"" + names[static_cast<std::size_t>(i)] + "\"\n";
        char row[128];
        std::snprintf(row, sizeof row, "%3d %5d %4d %-16s%7d bot                   0 25000\r\n", i, i * 3, 40 + i,
                      RemoveColourCodes(names[static_cast<std::size_t>(i)]).c_str(), 0);
        block += row;
    }
    socket.deliver(reply, 27960);
    clients.roster().ParseStatusBlock(block);
    if (clients.roster().ClientCount() != kPlayers || clients.roster().rows().back()[0] == ' ')
        std::fprintf(stderr, "clients_bench: the roster did not fill\n");

    LogicResult r;
    std::size_t sink = 0;
    r.parseUs = microsecondsPer(iterations, [&] { sink += ParseStatusReply(reply).size(); });
    r.mergeUs = microsecondsPer(iterations, [&] { socket.deliver(reply, 27960); });
    r.passUs = microsecondsPer(iterations, [&] {
        clients.roster().UpdateClients();
        socket.sent.clear();
    });
    if (sink == 0 || clients.roster().ClientCount() != kPlayers)
        std::fprintf(stderr, "clients_bench: unexpected roster\n");
    return r;
}

struct Host : bench::HeadlessHost {
    Host(const fs::path& bin, const std::vector<std::string>& q3simArgs) : HeadlessHost(bin, q3sim(bin, q3simArgs)) {}
};

} // namespace

int main(int argc, char** argv)
{
    int iterations = 20000;
    int seconds = 20;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--iterations")
            iterations = std::atoi(argv[i + 1]);
        else if (option == "--seconds")
            seconds = std::atoi(argv[i + 1]);
    }
    const LogicResult logic = measureLogic(iterations);

    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    char runtimeTemplate[] = "/tmp/ravelin-clients-bench-XXXXXX";
    const char* runtime = mkdtemp(runtimeTemplate);
    if (!runtime)
        return 1;
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    std::string players;
    for (const std::string& name : playerNames())
        players += (players.empty() ? "" : ",") + name;
    double offCpu = 0, onCpu = 0;
    int rows = 0;
    {
        Host host(bin, {"--max-players", "64", "--players", players});
        bench::HostedDesktop desktop;
        const WindowHandle console = desktop.waitForConsole();
        if (console <= 0) {
            std::fprintf(stderr, "clients_bench: no console host appeared\n");
            return 1;
        }
        desktop.bridge.setSelectedConsole(console);
        FrmMain window(
            MainServices{desktop.bridge, desktop.probe, desktop.settings, desktop.dialogs, fs::path(runtime)});
        window.load();
        window.show();
        runFor(10000, [&] { return window.session().clients().query().ServerPort() > 0; });
        runFor(2000);
        double before = cpuSeconds();
        runFor(seconds * 1000);
        offCpu = cpuSeconds() - before;

        window.findChild<QCheckBox*>("chkClient")->click();
        runFor(10000, [&] { return window.session().clients().roster().ClientCount() == kPlayers; });
        runFor(3000); // the slots arrive
        before = cpuSeconds();
        runFor(seconds * 1000);
        onCpu = cpuSeconds() - before;
        rows = window.session().clients().roster().ClientCount();
        window.unload();
    }
    const double offShare = offCpu / seconds * 100.0;
    const double onShare = onCpu / seconds * 100.0;
    std::printf("{\"bench\":\"clients\",\"players\":%d,\"parse_us\":%.2f,\"merge_us\":%.2f,\"pass_us\":%.2f,"
                "\"merge_ratio\":%.2f,\"pass_ratio\":%.2f,\"seconds\":%d,\"rows\":%d,\"off_core_percent\":%.3f,"
                "\"on_core_percent\":%.3f,\"monitoring_points\":%.3f}\n",
                kPlayers, logic.parseUs, logic.mergeUs, logic.passUs, logic.mergeUs / logic.parseUs,
                logic.passUs / logic.parseUs, seconds, rows, offShare, onShare, onShare - offShare);
    std::printf("clients: 64 players: parse %.1f us, merge %.1f us (%.1fx parse), pass %.1f us (%.1fx parse); "
                "window %.2f%% of a core with monitoring off, %.2f%% on (%+.2f points, %d rows)\n",
                logic.parseUs, logic.mergeUs, logic.mergeUs / logic.parseUs, logic.passUs, logic.passUs / logic.parseUs,
                offShare, onShare, onShare - offShare, rows);
    return 0;
}
