// Pump throughput and idle cost, measured through a real console host.
//
// For each flood rate a ravelin-console host runs q3sim printing
// "flood: K" lines at that rate for a number of seconds, while a pump on a
// 100 ms timer (with the 1 s display trimmer, exactly as the main window
// runs them) follows it into the window's own display box, not shown (the
// operator on another page; --shown puts it on the screen), and calls a
// console procedure for every flood line, as a script counting them would
// be called. Reported: lines handled / lines printed, checked by number (no
// gap, no repeat, in order), the pump's CPU time per 1,000 lines handled,
// and the delay from the server's print (its stamp on the line) to the
// procedure's call, median and 99th percentile. The reference is the same pump
// following a quiet server for the same time; the ratio says what the
// flood costs over that. Then a whole main window connected to a quiet
// server idles for a while: CPU seconds, and the share of one core.
//
// --chain runs the next pass at once (instead of at the next tick) while
// passes keep finding new lines, to see what the tick interval costs.
//
// --no-script leaves the lines without a procedure (echoed only).
//
//   pump_bench [--rates 1000,2000,5000,20000] [--seconds 10] [--idle-seconds 30] [--chain] [--shown] [--no-script]
#include "../support/HeadlessHost.h"
#include "../support/HostedDesktop.h"
#include "console/ConsolePump.h"
#include "platform/qt/OutputBox.h"
#include "mainwindow/FrmMain.h"
#include "platform/sim/SimServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace ravelin;
namespace fs = std::filesystem;

namespace {

fs::path g_bin;
// Run the next pass at once while passes keep finding new lines.
bool g_chain = false;
bool g_shown = false;
// No console procedure for the flood lines: the pump only echoes them.
bool g_noScript = false;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A console host running q3sim with these arguments, ended on destruction.
struct Host : bench::HeadlessHost {
    explicit Host(const std::vector<std::string>& q3simArgs) : HeadlessHost(g_bin, q3sim(g_bin, q3simArgs)) {}
};

// Checks of a condition are wake-ups of the bench's own, charged to the
// pump's CPU: one every 200 ms.
void runFor(int ms, const std::function<bool()>& done = {}) { bench::runFor(ms, done, 200); }

// Keeps the text like the window's display does, and notes every flood
// line number it was handed.
class CountingDisplay final : public ConsoleDisplay {
public:
    std::set<long> seen;
    OutputBox view;

    void appendDisplay(std::string_view text) override
    {
        m_text += text;
        view.appendText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        // One append may hold many lines.
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            std::string_view line = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
            if (line.rfind("flood: ", 0) == 0)
                seen.insert(std::strtol(std::string(line.substr(7)).c_str(), nullptr, 10));
            at = end == std::string_view::npos ? text.size() : end + 1;
        }
    }
    std::string displayText() const override { return m_text; }
    void setDisplayText(std::string_view text) override
    {
        m_text = std::string(text);
        view.replaceText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    }

private:
    std::string m_text;
};

struct PumpRun {
    long printed = 0;
    long handled = 0;
    long called = 0;
    long disorder = 0; // calls out of order, repeated, or after a gap
    double cpu = 0;
    double seconds = 0;
    double delayMedianMs = 0;
    double delayP99Ms = 0;
};

// One pump following one host for `seconds` (plus time to catch up).
PumpRun followHost(const std::vector<std::string>& q3simArgs, int seconds, long expected)
{
    Host host(q3simArgs);
    bench::HostedDesktop desktop;
    ConsoleBridge& bridge = desktop.bridge;
    WindowHandle console = desktop.waitForConsole();
    if (console <= 0) {
        std::fprintf(stderr, "pump_bench: no console host appeared\n");
        std::exit(1);
    }
    bridge.setSelectedConsole(console);

    CountingDisplay display;
    if (g_shown)
        display.view.show();
    bool unloading = false;
    ConsolePump pump(bridge, display, unloading);
    long next = 1;
    long called = 0;
    long disorder = 0;
    std::vector<double> delays;
    pump.hooks().hasConsoleProc = [](const std::string& proc) { return !g_noScript && proc == "Q3ARVL_flood"; };
    pump.hooks().runConsoleProc = [&](const std::string&, const std::string& data) {
        long number = std::strtol(data.c_str(), nullptr, 10);
        if (number != next)
            ++disorder;
        next = number + 1;
        ++called;
        if (std::size_t at = data.find(" at="); at != std::string::npos) {
            long long printedNs = std::strtoll(data.c_str() + at + 4, nullptr, 10);
            long long nowNs = std::chrono::steady_clock::now().time_since_epoch().count();
            delays.push_back(static_cast<double>(nowNs - printedNs) / 1e6);
        }
        return ScriptCallResult{};
    };
    QTimer tick;
    tick.setInterval(100);
    std::function<void()> pass = [&] {
        auto before = pump.LLC();
        pump.runPass();
        if (g_chain && pump.LLC() != before && tick.isActive())
            QTimer::singleShot(0, pass);
    };
    QObject::connect(&tick, &QTimer::timeout, pass);
    QTimer trim;
    trim.setInterval(1000);
    QObject::connect(&trim, &QTimer::timeout, [&] { pump.trimDisplay(); });

    PumpRun run;
    QElapsedTimer clock;
    clock.start();
    double cpuBefore = cpuSeconds();
    tick.start();
    trim.start();
    runFor(seconds * 1000 + 3000, [&] { return expected > 0 && display.seen.count(expected) > 0; });
    tick.stop();
    trim.stop();
    run.cpu = cpuSeconds() - cpuBefore;
    run.seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    run.handled = static_cast<long>(display.seen.size());
    run.printed = expected;
    run.called = called;
    run.disorder = disorder + (expected > 0 && next != expected + 1 ? 1 : 0);
    if (!delays.empty()) {
        std::sort(delays.begin(), delays.end());
        run.delayMedianMs = delays[delays.size() / 2];
        run.delayP99Ms = delays[std::min(delays.size() - 1, delays.size() * 99 / 100)];
    }
    return run;
}

std::vector<long> parseRates(const std::string& list)
{
    std::vector<long> rates;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ','))
        rates.push_back(std::strtol(item.c_str(), nullptr, 10));
    return rates;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<long> rates{1000, 2000, 5000, 20000};
    int seconds = 10;
    int idleSeconds = 30;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--chain" || option == "--shown" || option == "--no-script") {
            (option == "--chain" ? g_chain : option == "--shown" ? g_shown : g_noScript) = true;
            continue;
        }
        if (i + 1 >= argc)
            break;
        if (option == "--rates")
            rates = parseRates(argv[i + 1]);
        else if (option == "--seconds")
            seconds = std::atoi(argv[i + 1]);
        else if (option == "--idle-seconds")
            idleSeconds = std::atoi(argv[i + 1]);
        ++i;
    }
    g_bin = fs::read_symlink("/proc/self/exe").parent_path();

    // Private console endpoints: the bench sees only its own hosts.
    char runtimeTemplate[] = "/tmp/ravelin-pump-bench-XXXXXX";
    const char* runtime = mkdtemp(runtimeTemplate);
    if (!runtime)
        return 1;
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    // Reference: the same pump over a quiet server.
    PumpRun quiet = followHost({"+set", "sv_hostname", "Quiet"}, seconds, 0);
    const double quietCpuPerSecond = quiet.cpu / quiet.seconds;

    std::string json = "{\"bench\":\"pump\",\"chain\":" + std::string(g_chain ? "true" : "false") + ",\"seconds\":"
        + std::to_string(seconds) + ",\"reference_cpu_s\":" + std::to_string(quiet.cpu) + ",\"runs\":[";
    std::string summary;
    for (std::size_t i = 0; i < rates.size(); ++i) {
        long rate = rates[i];
        long expected = rate * seconds;
        PumpRun run = followHost({"+set", "sv_hostname", "Flood", "--flood-rate", std::to_string(rate),
                                  "--flood-seconds", std::to_string(seconds), "--flood-stamps"},
                                 seconds, expected);
        double handledShare = static_cast<double>(run.handled) / static_cast<double>(run.printed);
        double cpuPer1000 = run.handled > 0 ? run.cpu * 1000.0 / static_cast<double>(run.handled) * 1000.0 : 0.0;
        double overQuiet = quietCpuPerSecond > 0 ? (run.cpu / run.seconds) / quietCpuPerSecond : 0.0;
        char line[768];
        std::snprintf(line, sizeof line,
                      "%s{\"rate\":%ld,\"printed\":%ld,\"handled\":%ld,\"handled_share\":%.4f,"
                      "\"called\":%ld,\"disorder\":%ld,\"cpu_s\":%.3f,\"cpu_ms_per_1000_lines\":%.2f,"
                      "\"cpu_vs_reference\":%.1f,\"delay_median_ms\":%.1f,\"delay_p99_ms\":%.1f}",
                      i ? "," : "", rate, run.printed, run.handled, handledShare, run.called, run.disorder, run.cpu,
                      cpuPer1000, overQuiet, run.delayMedianMs, run.delayP99Ms);
        json += line;
        std::snprintf(line, sizeof line,
                      "%ld/s: %ld of %ld lines (%.1f%%), %ld calls, %ld out of order, %.2f ms CPU per 1000 lines, "
                      "%.1fx quiet, delay median %.1f ms p99 %.1f ms; ",
                      rate, run.handled, run.printed, handledShare * 100.0, run.called, run.disorder, cpuPer1000,
                      overQuiet, run.delayMedianMs, run.delayP99Ms);
        summary += line;
    }

    // Idle cost of a whole connected main window.
    double idleCpu = 0;
    {
        Host host({"+set", "sv_hostname", "Idle Arena", "--players", "Bob"});
        bench::HostedDesktop desktop;
        desktop.bridge.setSelectedConsole(desktop.waitForConsole());
        FrmMain window(
            MainServices{desktop.bridge, desktop.probe, desktop.settings, desktop.dialogs, fs::path(runtime)});
        window.load();
        window.show();
        runFor(2000); // settle: first activation, first pass over the history
        double before = cpuSeconds();
        runFor(idleSeconds * 1000);
        idleCpu = cpuSeconds() - before;
        window.unload();
    }
    const double idleShare = idleCpu / idleSeconds * 100.0;
    char tail[256];
    std::snprintf(tail, sizeof tail, "],\"idle_seconds\":%d,\"idle_cpu_s\":%.3f,\"idle_core_percent\":%.3f}",
                  idleSeconds, idleCpu, idleShare);
    json += tail;
    std::printf("%s\n", json.c_str());
    std::printf("pump: %sidle main window %.2f s CPU in %d s (%.2f%% of a core)\n", summary.c_str(), idleCpu,
                idleSeconds, idleShare);
    fs::remove_all(runtime);
    return 0;
}
