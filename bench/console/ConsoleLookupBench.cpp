// What FindConsoleWindow costs with no console running (its 10001 lookups),
// and what single window calls cost against a running console host, over
// IpcWindowManager; the reference is the in-process simulated desktop,
// measured in the same run. Prints one JSON line and a one-line summary.
//
// Usage: bench_console [RUNS]   (default 5; ravelin-console and q3sim are
// found beside this program; runs in a private runtime folder)
#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/IpcWindowManager.h"
#include "platform/sim/SimDesktop.h"

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

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace ravelin;

namespace {

double bestMs(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

pid_t startHost(const fs::path& bin)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::string host = (bin / "ravelin-console").string();
        std::string sim = (bin / "q3sim").string();
        ::execl(host.c_str(), host.c_str(), "--headless", "--", sim.c_str(), "+set", "net_port", "0", "+set",
                "sv_hostname", "Bench", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    fs::path runtime = fs::temp_directory_path() / ("ravelin-bench-" + std::to_string(::getpid()));
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    NullMessageLoop loop;

    // Reference: the simulated desktop, no console.
    sim::SimDesktop desktop;
    double simMs = bestMs(runs, [&] {
        ConsoleBridge bridge(desktop, loop);
        bridge.FindConsoleWindow();
    });

    // No console: folder missing, then present and empty.
    ipc::IpcWindowManager windows;
    double missingMs = bestMs(runs, [&] {
        ConsoleBridge bridge(windows, loop);
        bridge.FindConsoleWindow();
    });
    ipc::prepareEndpointFolder(ipc::defaultEndpointFolder());
    // Let the folder's mtime age so the listing cache trusts it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double emptyMs = bestMs(runs, [&] {
        ConsoleBridge bridge(windows, loop);
        bridge.FindConsoleWindow();
    });

    // One host running: lookups that find it, and single calls.
    pid_t host = startHost(bin);
    ConsoleBridge bridge(windows, loop);
    WindowHandle console = 0;
    for (int i = 0; i < 1000 && console == 0; ++i) {
        console = windows.findWindow(kConsoleClass, kConsoleTitle);
        if (console == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    double foundMs = -1, readMs = -1, sendMs = -1, probeMs = -1;
    constexpr int kCalls = 1000;
    if (console != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        foundMs = bestMs(runs, [&] {
            for (int i = 0; i < 10001; ++i)
                windows.findWindow(kConsoleClass, kConsoleTitle);
        });
        readMs = bestMs(runs, [&] {
            for (int i = 0; i < kCalls; ++i)
                bridge.ReadConsoleOutputOf(console);
        });
        sendMs = bestMs(runs, [&] {
            for (int i = 0; i < 100; ++i)
                bridge.SendConsoleCommandTo("echo bench", console);
        });
        CvarProbe probe(bridge);
        probeMs = bestMs(runs, [&] { probe.GetCvarValue(console, "sv_hostname"); });
    } else {
        std::fprintf(stderr, "bench_console: the console host did not come up\n");
    }
    ::kill(host, SIGTERM);
    ::waitpid(host, nullptr, 0);
    fs::remove_all(runtime);

    std::printf("{\"bench\":\"console\",\"runs\":%d,\"find_no_console_sim_ms\":%.3f,"
                "\"find_no_console_ipc_missing_folder_ms\":%.3f,\"find_no_console_ipc_empty_folder_ms\":%.3f,"
                "\"ratio_empty_vs_sim\":%.1f,\"findwindow_x10001_one_host_ms\":%.3f,"
                "\"read_output_us\":%.1f,\"send_command_us\":%.1f,\"probe_sv_hostname_ms\":%.3f}\n",
                runs, simMs, missingMs, emptyMs, emptyMs / std::max(simMs, 1e-6), foundMs, readMs * 1000.0 / kCalls,
                sendMs * 1000.0 / 100, probeMs);
    std::printf("FindConsoleWindow with no console (10001 lookups): %.2f ms over IPC (empty folder; %.2f ms when "
                "missing) vs %.2f ms in-process (x%.1f); with one host: read %.0f us, send %.0f us, probe %.2f ms\n",
                emptyMs, missingMs, simMs, emptyMs / std::max(simMs, 1e-6), readMs * 1000.0 / kCalls,
                sendMs * 1000.0 / 100, probeMs);
    return console != 0 ? 0 : 1;
}
