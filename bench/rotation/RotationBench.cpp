// How well the rotation keeps its waits, against the wall clock.
//
// A preset of one entry "say tick||INTERVAL" runs for STEPS steps on a
// precise Qt timer restarted at each step with the entry's interval, exactly
// as the main window runs tmrAAI, sending through the console bridge (with
// its yields) to a console on the simulated desktop, which stamps each
// command as it arrives. The reference is a bare precise QTimer of the same
// interval, never restarted, stamping its ticks. Printed for both, as
// ratios to the interval: drift (how much longer the whole run took than
// STEPS intervals) and the worst single step's lateness; then the ratios of
// the rotation to the reference.
//
//   rotation_bench [--steps 100] [--interval 200]
#include "clients/RotationRunner.h"
#include "console/ConsoleBridge.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/sim/SimDesktop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace ravelin;

namespace {

struct Timing {
    double drift = 0; // (last - first - steps × interval) / interval
    double worstLate = 0; // max over steps of (gap - interval) / interval
};

Timing measure(const std::vector<qint64>& stampsNs, int intervalMs)
{
    Timing t;
    const double interval = intervalMs * 1e6;
    const std::size_t steps = stampsNs.size() - 1;
    t.drift =
        (static_cast<double>(stampsNs.back() - stampsNs.front()) - static_cast<double>(steps) * interval) / interval;
    for (std::size_t i = 1; i < stampsNs.size(); ++i)
        t.worstLate = std::max(t.worstLate, (static_cast<double>(stampsNs[i] - stampsNs[i - 1]) - interval) / interval);
    return t;
}

Timing bareTimer(int steps, int intervalMs)
{
    QElapsedTimer clock;
    std::vector<qint64> stamps;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(intervalMs);
    QEventLoop loop;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        stamps.push_back(clock.nsecsElapsed());
        if (static_cast<int>(stamps.size()) > steps)
            loop.quit();
    });
    clock.start();
    timer.start();
    loop.exec();
    return measure(stamps, intervalMs);
}

Timing rotation(int steps, int intervalMs)
{
    sim::SimDesktop desktop;
    QtMessageLoop yields;
    ConsoleBridge bridge(desktop, yields);
    sim::SimConsole& console = desktop.addConsole();
    bridge.setSelectedConsole(console.handle());

    QElapsedTimer clock;
    std::vector<qint64> stamps;
    QEventLoop loop;
    console.setServer([&](sim::SimConsole&, const std::string&) {
        stamps.push_back(clock.nsecsElapsed());
        if (static_cast<int>(stamps.size()) > steps)
            loop.quit();
    });

    QTimer tmrAAI;
    tmrAAI.setTimerType(Qt::PreciseTimer);
    bool unloading = false;
    RotationRunner runner(unloading);
    RotationHooks& hooks = runner.hooks();
    hooks.enableTimer = [&](bool on) { on ? tmrAAI.start() : tmrAAI.stop(); };
    hooks.setInterval = [&](int ms) { tmrAAI.setInterval(ms); };
    hooks.send = [&](const std::string& command) { bridge.SendConsoleCommand(command); };
    QObject::connect(&tmrAAI, &QTimer::timeout, [&] { runner.step(); });

    clock.start();
    runner.start({"say tick||" + std::to_string(intervalMs)}, "bench");
    loop.exec();
    runner.stop();
    return measure(stamps, intervalMs);
}

int intArgument(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int steps = std::max(2, intArgument(argc, argv, "--steps", 100));
    const int interval = std::max(1, intArgument(argc, argv, "--interval", 200));

    const Timing reference = bareTimer(steps, interval);
    const Timing rotated = rotation(steps, interval);
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };

    std::printf("{\"bench\":\"rotation\",\"steps\":%d,\"interval_ms\":%d,"
                "\"drift\":%.5f,\"worst_late\":%.5f,\"ref_drift\":%.5f,\"ref_worst_late\":%.5f}\n",
                steps, interval, rotated.drift, rotated.worstLate, reference.drift, reference.worstLate);
    std::printf("rotation: %d steps of %d ms drifted %.4f intervals (bare timer %.4f, %.1fx), "
                "worst step %.4f late (bare timer %.4f, %.1fx)\n",
                steps, interval, rotated.drift, reference.drift, ratio(rotated.drift, reference.drift),
                rotated.worstLate, reference.worstLate, ratio(rotated.worstLate, reference.worstLate));
    return 0;
}
