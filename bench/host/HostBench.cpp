// How long a probe takes for a known and an unknown name, how long
// `exec "status"` takes, and how long a backlog of 200 short commands takes
// to reach the server, on a server that reads its console once per 50 ms
// frame (q3sim --ioq3 --frame-ms 50, with and without a map; Debian's
// OpenArena server with --real), each against q3sim's instant 1.32 console
// measured in the same run. The probe is also timed the way the window was
// read before numbered lines (type the name, watch the window's text for
// the answer line; an unknown name waits out a second of silence), in the
// same run. Then the host's memory after --memory-lines lines (default 10
// million) against its ring's bound, over an idle host's as the reference.
//
//   host_bench [--runs 5] [--real] [--memory-lines N]
#include "../support/HeadlessHost.h"
#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "platform/ipc/IpcWindowManager.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace ravelin;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

fs::path g_bin;

struct Host : bench::HeadlessHost {
    explicit Host(const std::vector<std::string>& server) : HeadlessHost(g_bin, server) {}
};

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool waitFor(const std::function<bool()>& done, double ms)
{
    auto start = Clock::now();
    while (msSince(start) < ms) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// The probe as it read the window: the name typed, then the window's text
// watched for a line answering it (an unknown name: one second of silence
// after the echo).
std::string windowProbe(ConsoleBridge& bridge, WindowHandle console, const std::string& name)
{
    const std::size_t start = bridge.ReadConsoleOutputOf(console).size();
    bridge.SendConsoleCommandTo(name, console);
    auto echoed = Clock::time_point{};
    for (auto began = Clock::now(); msSince(began) < 5000;) {
        std::string text = bridge.ReadConsoleOutputOf(console);
        std::string fresh = text.size() > start ? text.substr(start) : std::string();
        if (fresh.find("\r\n\"" + name + "\"") != std::string::npos || fresh.rfind("\"" + name + "\"", 0) == 0)
            return "answer";
        if (fresh.find("nknown command") != std::string::npos)
            return "UNKNOWN COMMAND";
        if (echoed == Clock::time_point{} && fresh.find("]" + name + "\r\n") != std::string::npos)
            echoed = Clock::now();
        if (echoed != Clock::time_point{} && msSince(echoed) >= 1000)
            return "UNKNOWN COMMAND";
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "UNKNOWN";
}

long rssKiB(pid_t pid)
{
    std::FILE* status = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (!status)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::string(line).rfind("VmRSS:", 0) == 0)
            kib = std::strtol(line + 6, nullptr, 10);
    }
    std::fclose(status);
    return kib;
}

struct Result {
    std::string name;
    double knownMs = -1;
    double unknownMs = -1;
    double windowKnownMs = -1;
    double windowUnknownMs = -1;
    double execStatusMs = -1;
    double drainMs = -1;
    std::string unknownAnswer;
};

Result measure(const std::string& name, const std::vector<std::string>& server, const std::string& readyLine, int runs)
{
    Result result;
    result.name = name;
    Host host(server);
    ipc::IpcWindowManager windows;
    NullMessageLoop loop;
    ConsoleBridge bridge(windows, loop);
    CvarProbe probe(bridge);
    WindowHandle console = host.handle();
    if (!waitFor([&] { return bridge.ReadConsoleOutputOf(console).find(readyLine) != std::string::npos; }, 60000)) {
        std::fprintf(stderr, "host_bench: %s did not start\n", name.c_str());
        return result;
    }
    std::vector<double> known, unknown;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        probe.GetCvarValue(console, "sv_hostname");
        known.push_back(msSince(start));
        start = Clock::now();
        result.unknownAnswer = probe.GetCvarValue(console, "nosuchcvar");
        unknown.push_back(msSince(start));
    }
    result.knownMs = median(known);
    result.unknownMs = median(unknown);
    std::vector<double> windowKnown, windowUnknown, status;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        windowProbe(bridge, console, "sv_hostname");
        windowKnown.push_back(msSince(start));
        start = Clock::now();
        windowProbe(bridge, console, "nosuchcvar");
        windowUnknown.push_back(msSince(start));
        start = Clock::now();
        if (bridge.ExecCommand(console, "status", 10000).ok)
            status.push_back(msSince(start));
    }
    result.windowKnownMs = median(windowKnown);
    result.windowUnknownMs = median(windowUnknown);
    result.execStatusMs = median(status);

    std::vector<double> drains;
    for (int run = 0; run < runs; ++run) {
        std::string last = "drain-" + std::to_string(run) + "-200";
        auto start = Clock::now();
        for (int i = 1; i <= 200; ++i)
            bridge.SendConsoleCommandTo("echo drain-" + std::to_string(run) + "-" + std::to_string(i), console);
        if (waitFor(
                [&] { return bridge.ReadConsoleOutputOf(console).find("\r\n" + last + "\r\n") != std::string::npos; },
                60000))
            drains.push_back(msSince(start));
    }
    result.drainMs = median(drains);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    bool real = false;
    long memoryLines = 10'000'000;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--real")
            real = true;
        else if (option == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (option == "--memory-lines" && i + 1 < argc)
            memoryLines = std::atol(argv[++i]);
    }
    g_bin = fs::read_symlink("/proc/self/exe").parent_path();
    char runtimeTemplate[] = "/tmp/ravelin-host-bench-XXXXXX";
    const char* runtime = ::mkdtemp(runtimeTemplate);
    if (!runtime)
        return 1;
    ::setenv("XDG_RUNTIME_DIR", runtime, 1);
    std::string q3sim = (g_bin / "q3sim").string();

    std::vector<Result> results;
    results.push_back(measure("q3sim-1.32", {q3sim, "+set", "net_port", "0"}, "Opening IP socket", runs));
    results.push_back(measure("q3sim-ioq3-frames", {q3sim, "--ioq3", "--frame-ms", "50", "+set", "net_port", "0"},
                              "Opening IP socket", runs));
    results.push_back(measure("q3sim-ioq3-frames-nomap",
                              {q3sim, "--ioq3", "--no-map", "--frame-ms", "50", "+set", "net_port", "0"},
                              "Opening IP socket", runs));
    const char* server = "/usr/games/openarena-server";
    if (real && ::access(server, X_OK) == 0) {
        std::string home = std::string(runtime) + "/oahome";
        results.push_back(measure("openarena",
                                  {server, "+set", "ttycon", "0", "+set", "dedicated", "1", "+set", "net_port", "0",
                                   "+set", "fs_homepath", home, "+map", "oa_dm1"},
                                  "InitGame:", runs));
    }

    const Result& reference = results.front();
    std::string json = "{\"bench\":\"host\",\"runs\":" + std::to_string(runs) + ",\"results\":[";
    std::string summary = "host:";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const Result& r = results[i];
        char line[512];
        std::snprintf(
            line, sizeof line,
            "%s{\"server\":\"%s\",\"probe_known_ms\":%.1f,\"probe_unknown_ms\":%.1f,\"unknown_answer\":\"%s\","
            "\"window_probe_known_ms\":%.1f,\"window_probe_unknown_ms\":%.1f,\"exec_status_ms\":%.1f,"
            "\"drain_200_ms\":%.1f,\"known_vs_reference\":%.2f,\"unknown_vs_reference\":%.2f,"
            "\"known_vs_window_probe\":%.2f,\"unknown_vs_window_probe\":%.2f,\"drain_vs_reference\":%.2f}",
            i ? "," : "", r.name.c_str(), r.knownMs, r.unknownMs, r.unknownAnswer.c_str(), r.windowKnownMs,
            r.windowUnknownMs, r.execStatusMs, r.drainMs, r.knownMs / reference.knownMs,
            r.unknownMs / reference.unknownMs, r.knownMs / r.windowKnownMs, r.unknownMs / r.windowUnknownMs,
            r.drainMs / reference.drainMs);
        json += line;
        std::snprintf(line, sizeof line,
                      " %s: known %.0f ms (%.1fx; window probe %.0f ms), unknown %.0f ms (%.1fx, %s; window probe "
                      "%.0f ms), exec status %.0f ms, 200-line backlog %.0f ms (%.1fx);",
                      r.name.c_str(), r.knownMs, r.knownMs / reference.knownMs, r.windowKnownMs, r.unknownMs,
                      r.unknownMs / reference.unknownMs, r.unknownAnswer.c_str(), r.windowUnknownMs, r.execStatusMs,
                      r.drainMs, r.drainMs / reference.drainMs);
        summary += line;
    }
    json += "]";

    // Memory: an idle host (the reference) and one that took memoryLines.
    if (memoryLines > 0) {
        Host idle({q3sim, "+set", "net_port", "0"});
        Host flooded({q3sim, "+set", "net_port", "0", "--flood", std::to_string(memoryLines)});
        ipc::IpcWindowManager windows;
        auto start = Clock::now();
        bool done = waitFor(
            [&] {
                return windows.readLines(flooded.handle(), 0, 1).newest >= static_cast<std::uint64_t>(memoryLines)
                    && windows.readLines(idle.handle(), 0, 1).newest > 0;
            },
            600000);
        double seconds = msSince(start) / 1000.0;
        long idleKiB = rssKiB(idle.handle());
        long floodedKiB = rssKiB(flooded.handle());
        const double ringMiB = 16.0;
        double grownMiB = static_cast<double>(floodedKiB - idleKiB) / 1024.0;
        char line[512];
        std::snprintf(line, sizeof line,
                      ",\"memory\":{\"lines\":%ld,\"done\":%s,\"seconds\":%.1f,\"idle_rss_kib\":%ld,"
                      "\"rss_kib\":%ld,\"grown_mib\":%.1f,\"ring_mib\":%.0f,\"grown_vs_ring\":%.3f}",
                      memoryLines, done ? "true" : "false", seconds, idleKiB, floodedKiB, grownMiB, ringMiB,
                      grownMiB / ringMiB);
        json += line;
        std::snprintf(line, sizeof line,
                      " memory after %ld lines (%.0f s): %.1f MiB over an idle host (%.2fx the %.0f MiB ring)",
                      memoryLines, seconds, grownMiB, grownMiB / ringMiB, ringMiB);
        summary += line;
    }
    json += "}";
    std::printf("%s\n%s\n", json.c_str(), summary.c_str());
    fs::remove_all(runtime);
    return 0;
}
