// How long a probe takes for a known and an unknown name, and how long a
// backlog of 200 short commands takes to reach the server, on a server that
// reads its console once per 50 ms frame (q3sim --ioq3 --frame-ms 50, with
// and without a map; Debian's OpenArena server with --real), each against
// q3sim's instant 1.32 console measured in the same run.
//
//   host_bench [--runs 5] [--real]
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

struct Result {
    std::string name;
    double knownMs = -1;
    double unknownMs = -1;
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
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--real")
            real = true;
        else if (option == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
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
            "\"drain_200_ms\":%.1f,\"known_vs_reference\":%.2f,\"unknown_vs_reference\":%.2f,"
            "\"drain_vs_reference\":%.2f}",
            i ? "," : "", r.name.c_str(), r.knownMs, r.unknownMs, r.unknownAnswer.c_str(), r.drainMs,
            r.knownMs / reference.knownMs, r.unknownMs / reference.unknownMs, r.drainMs / reference.drainMs);
        json += line;
        std::snprintf(line, sizeof line,
                      " %s: known %.0f ms (%.1fx), unknown %.0f ms (%.1fx, %s), 200-line backlog %.0f ms (%.1fx);",
                      r.name.c_str(), r.knownMs, r.knownMs / reference.knownMs, r.unknownMs,
                      r.unknownMs / reference.unknownMs, r.unknownAnswer.c_str(), r.drainMs,
                      r.drainMs / reference.drainMs);
        summary += line;
    }
    json += "]}";
    std::printf("%s\n%s\n", json.c_str(), summary.c_str());
    fs::remove_all(runtime);
    return 0;
}
