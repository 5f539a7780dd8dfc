// CPU cost of the system monitor in a whole main window.
//
// One main window (offscreen, the sys page in front so every tick repaints
// labels, gauges and chart) over a console on the simulated desktop, with
// the machine's real memory figures from /proc. Rounds alternate between
// the monitor's timer running (500 ms, as shipped) and stopped, each round
// the same wall time; the reference is the stopped rounds. Reported: the
// process's CPU time per round in each mode, and the difference as a share
// of one core (goal: under 0.5 %).
//
//   monitor_bench [--rounds 6] [--seconds 5]
#include "mainwindow/FrmMain.h"
#include "platform/linux/ProcMemoryInfo.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

using namespace ravelin;

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Runs the event loop for `ms` of wall time; returns the CPU seconds used.
double runFor(int ms)
{
    const double before = cpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return cpuSeconds() - before;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 6;
    int seconds = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--rounds"))
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::max(1, std::atoi(argv[++i]));
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::filesystem::path app = std::filesystem::temp_directory_path() / "ravelin-monitor-bench";
    std::filesystem::create_directories(app / "Scripts");
    setenv("XDG_CONFIG_HOME", app.c_str(), 1);
    QApplication application(argc, argv);

    sim::SimDesktop desktop;
    QtMessageLoop loop;
    ConsoleBridge bridge(desktop, loop);
    CvarProbe probe(bridge);
    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;
    ProcMemoryInfo memory;
    sim::SimConsole& console = desktop.addConsole();
    console.setServer([](sim::SimConsole& c, const std::string& line) {
        if (line == "FS_BASEPATH")
            c.print("\"fs_basepath\" is:\"/srv/q3\" default:\"\"\n");
    });
    bridge.setSelectedConsole(console.handle());

    FrmMain window(MainServices{bridge, probe, settings, dialogs, app, nullptr, &memory});
    window.load();
    window.show();
    window.imgTab_Click(1);
    QTimer* monitor = window.findChild<QTimer*>("tmrSystem");
    runFor(1000); // settle: first activation, first pump pass

    std::vector<double> ticking;
    std::vector<double> stopped;
    for (int r = 0; r < rounds; ++r) {
        monitor->start();
        ticking.push_back(runFor(seconds * 1000));
        monitor->stop();
        stopped.push_back(runFor(seconds * 1000));
    }
    const int ticks = window.session().monitor().ticks();
    window.unload();

    const double withMonitor = median(ticking);
    const double without = median(stopped);
    const double extraShare = (withMonitor - without) / seconds * 100.0;
    std::printf("{\"bench\":\"monitor\",\"rounds\":%d,\"seconds\":%d,\"ticks\":%d,\"cpu_ticking_s\":%.5f,"
                "\"cpu_stopped_s\":%.5f,\"ratio\":%.3f,\"extra_core_percent\":%.4f}\n",
                rounds, seconds, ticks, withMonitor, without, without > 0 ? withMonitor / without : 0.0, extraShare);
    std::printf("monitor: %.2f ms CPU per %d s ticking vs %.2f ms stopped (x%.2f); extra %.3f %% of a core "
                "(goal < 0.5 %%) %s\n",
                withMonitor * 1000, seconds, without * 1000, without > 0 ? withMonitor / without : 0.0, extraShare,
                extraShare < 0.5 ? "ok" : "OVER");
    return 0;
}
