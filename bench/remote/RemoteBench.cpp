// Consoles on another machine, reached over a real sshd on loopback
// (tests/remote/SshServer), against the same consoles reached locally in
// the same run:
//   - listing: one Ravelin, 4 machines of 8 consoles each, every console
//     listed, against four bare ssh logins (`ssh ... true`) made at once;
//   - a command's answer (exec) against the link's bare round trip (List);
//   - 8 consoles flooding 2,000 lines/s each, followed at once as the pump
//     does (numbered lines after the last one handled): every line handled
//     once, and this process's CPU per 1,000 lines, remote against local;
//   - the link dropped for --drop-seconds (sshd stopped, then started): how
//     long after its return the next line is followed (the first line
//     printed meanwhile), whether a line was lost or handled twice, and
//     whether the link came back through its watch rather than its back-off.
// Prints one JSON line and a summary.
//
//   remote_bench [--drop-seconds 60] [--seconds 5]
#include "console/ConsoleBridge.h"
#include "integration/ConsoleHostProcess.h"
#include "platform/ipc/MachineWindowManager.h"
#include "remote/SshServer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sys/resource.h>
#include <thread>

using namespace ravelin;
using namespace ravelin::test;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double cpuMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3
        + usage.ru_stime.tv_usec / 1e3;
}

// Follows consoles as the pump does; counts "flood: K" lines per console and
// the ones seen out of order or twice.
struct Follower {
    WindowManager& windows;
    std::map<WindowHandle, std::uint64_t> after;
    std::map<WindowHandle, long> next; // the K expected next
    long handled = 0;
    long faults = 0;

    // From the first line: the flood began when the server started.
    void start(WindowHandle console)
    {
        after[console] = 0;
        next[console] = 1;
    }
    void pass()
    {
        for (auto& [console, mark] : after) {
            LineBatch batch = windows.readLines(console, mark, 256 * 1024);
            if (!batch.ok)
                continue;
            faults += static_cast<long>(batch.missed);
            for (const NumberedLine& line : batch.lines) {
                ++mark;
                const char* at = std::strstr(line.text.c_str(), "flood: ");
                if (!at)
                    continue;
                const long k = std::atol(at + 7);
                if (k != next[console])
                    ++faults;
                next[console] = k + 1;
                ++handled;
            }
        }
    }
};

struct FollowResult {
    long handled = 0;
    long faults = 0;
    double cpuPerThousand = 0;
};

FollowResult follow(WindowManager& windows, const std::vector<WindowHandle>& consoles, int seconds)
{
    Follower follower{windows, {}, {}, 0, 0};
    for (WindowHandle console : consoles)
        follower.start(console);
    const double cpu = cpuMs();
    const long expected = static_cast<long>(consoles.size()) * 2000L * seconds;
    const auto start = Clock::now();
    while (follower.handled < expected && msSince(start) < (seconds + 20) * 1000.0) {
        follower.pass();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {follower.handled, follower.faults + (expected - follower.handled),
            (cpuMs() - cpu) * 1000.0 / std::max(1L, follower.handled)};
}

} // namespace

int main(int argc, char** argv)
{
    int dropSeconds = 60;
    int seconds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--drop-seconds") == 0)
            dropSeconds = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atoi(argv[i + 1]);
    }
    if (std::string why = SshServer::missing(); !why.empty()) {
        std::fprintf(stderr, "remote_bench: %s\n", why.c_str());
        return 1;
    }
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    ::setenv("RAVELIN_BIN_DIR", bin.c_str(), 1);
    TempDir runtime{"ravelin-bench-runtime"};
    fs::permissions(runtime.path(), fs::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    SshServer sshd;
    if (!sshd.start(runtime.path())) {
        std::fprintf(stderr, "remote_bench: sshd did not start: %s\n", sshd.log().c_str());
        return 1;
    }
    std::vector<ConsoleHostProcess> hosts(8);
    for (ConsoleHostProcess& host : hosts)
        if (!host.startQ3sim(
                {"+set", "net_port", "0", "--flood-rate", "2000", "--flood-seconds", std::to_string(seconds)}))
            return 1;
    ipc::IpcWindowManager local;
    TempDir empty{"ravelin-bench-none"};
    ipc::IpcWindowManager nothing(empty.path() / "consoles");

    // The reference: four bare ssh logins at once (`ssh ... true`), as the
    // listing below makes them.
    auto bareStart = Clock::now();
    {
        std::vector<std::thread> logins;
        for (int m = 0; m < 4; ++m)
            logins.emplace_back([&] {
                std::vector<std::string> bare =
                    ipc::sshRelayCommand(sshd.target(), sshd.port(), "", sshd.sshConfig().string());
                bare.resize(bare.size() - 2);
                bare.push_back("true");
                bare.front() = "/usr/bin/ssh";
                if (runCommand(bare).status != 0)
                    std::fprintf(stderr, "remote_bench: a bare ssh login failed\n");
            });
        for (std::thread& login : logins)
            login.join();
    }
    const double bareMs = msSince(bareStart);

    // Listing: four machines (the same sshd under four names) of eight
    // consoles; when the last link said hello, and when all were listed.
    ipc::MachineWindowManager four(nothing);
    auto listStart = Clock::now();
    for (int m = 0; m < 4; ++m)
        four.addMachine("m" + std::to_string(m),
                        ipc::sshRelayCommand(sshd.target(), sshd.port(), "", sshd.sshConfig().string()));
    std::size_t listed = 0;
    double helloMs = -1;
    while (listed < 32 && msSince(listStart) < 20000) {
        listed = 0;
        int connected = 0;
        for (int m = 0; m < 4; ++m) {
            listed += four.consolesOf("m" + std::to_string(m)).size();
            connected += four.link("m" + std::to_string(m))->state() == ipc::RelayLink::State::Connected;
        }
        if (connected == 4 && helloMs < 0)
            helloMs = msSince(listStart);
        if (listed < 32)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const double listMs = msSince(listStart);

    // A command's answer against the bare round trip.
    ipc::MachineWindowManager windows(nothing);
    windows.addMachine("far", ipc::sshRelayCommand(sshd.target(), sshd.port(), "", sshd.sshConfig().string()));
    std::vector<WindowHandle> far;
    for (int i = 0; i < 400 && far.size() < 8; ++i) {
        far = windows.consolesOf("far");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (far.empty()) {
        std::fprintf(stderr, "remote_bench: the far machine lists no console: %s\n",
                     windows.link("far")->message().c_str());
        return 1;
    }
    NullMessageLoop loop;
    ConsoleBridge bridge(windows, loop);
    ConsoleBridge localBridge(local, loop);
    double roundTrip = 1e9, execMs = 1e9, localExec = 1e9;
    for (int i = 0; i < 20; ++i) {
        auto t = Clock::now();
        windows.link("far")->request(ipc::RelayOp::List, {});
        roundTrip = std::min(roundTrip, msSince(t));
        t = Clock::now();
        bridge.ExecCommand(far.front(), "sv_hostname", 5000);
        execMs = std::min(execMs, msSince(t));
        t = Clock::now();
        localBridge.ExecCommand(hosts.front().handle(), "sv_hostname", 5000);
        localExec = std::min(localExec, msSince(t));
    }

    // 8 consoles at 2,000 lines/s: followed locally, then over the link
    // (each host floods once at start, so the hosts are started again).
    FollowResult near = follow(local, local.consoleWindows(), seconds);
    hosts.clear();
    hosts.resize(8);
    for (ConsoleHostProcess& host : hosts)
        host.startQ3sim({"+set", "net_port", "0", "--flood-rate", "2000", "--flood-seconds", std::to_string(seconds)});
    std::vector<WindowHandle> remoteConsoles;
    for (int i = 0; i < 200 && remoteConsoles.size() < 8; ++i) {
        remoteConsoles = windows.consolesOf("far");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    FollowResult remote = follow(windows, remoteConsoles, seconds);

    // The link dropped for dropSeconds, lines printed meanwhile.
    const WindowHandle watched = remoteConsoles.empty() ? 0 : remoteConsoles.front();
    bool ok = false;
    std::uint64_t mark = windows.tailStart(watched, 0, ok);
    sshd.kill();
    const auto downAt = Clock::now();
    long sent = 0;
    while (msSince(downAt) < dropSeconds * 1000.0) {
        runCommand({(bin / "ravelin-console").string(), "send", std::to_string(hosts.front().handle()),
                    "say drop " + std::to_string(++sent)});
        windows.pollMachines();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    sshd.start(runtime.path());
    const auto backAt = Clock::now();
    double resumeMs = -1;
    while (msSince(backAt) < 120000 && resumeMs < 0) {
        windows.pollMachines();
        LineBatch batch = windows.readLines(watched, mark, 1024);
        if (batch.ok && !batch.lines.empty())
            resumeMs = msSince(backAt);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Attempts made because the watch saw sshd back, not the back-off.
    const auto early = static_cast<unsigned long long>(windows.link("far")->earlyStarts());
    // What the link handed on since the mark against the far ring itself:
    // the same lines, none lost, none twice.
    auto all = [&](WindowManager& from, WindowHandle console) {
        std::vector<std::string> texts;
        for (std::uint64_t after = mark;;) {
            LineBatch batch = from.readLines(console, after, 1024 * 1024);
            if (!batch.ok || batch.lines.empty())
                return texts;
            for (const NumberedLine& line : batch.lines)
                texts.push_back(line.text);
            after = batch.first + batch.lines.size() - 1;
        }
    };
    const std::vector<std::string> viaLink = all(windows, watched);
    const std::vector<std::string> inRing = all(local, hosts.front().handle());
    long seen = static_cast<long>(viaLink.size());
    long wrong = viaLink == inRing ? 0 : std::max(1L, std::labs(seen - static_cast<long>(inRing.size())));

    std::printf("{\"bench\":\"remote\",\"bare_ssh_4_ms\":%.0f,\"hello_4_ms\":%.0f,\"list_4x8_ms\":%.0f,\"listed\":%zu,"
                "\"round_trip_ms\":%.2f,\"exec_ms\":%.2f,"
                "\"local_exec_ms\":%.2f,\"follow_local\":{\"lines\":%ld,\"faults\":%ld,\"cpu_ms_per_1000\":%.2f},"
                "\"follow_remote\":{\"lines\":%ld,\"faults\":%ld,\"cpu_ms_per_1000\":%.2f},\"drop_s\":%d,"
                "\"resume_ms\":%.0f,\"early_attempts\":%llu,\"drop_lines_sent\":%ld,\"drop_lines_seen\":%ld,\"drop_"
                "faults\":%ld}\n",
                bareMs, helloMs, listMs, listed, roundTrip, execMs, localExec, near.handled, near.faults,
                near.cpuPerThousand, remote.handled, remote.faults, remote.cpuPerThousand, dropSeconds, resumeMs, early,
                sent, seen, wrong);
    std::printf("remote: 4x8 consoles listed in %.0f ms = %.2fx four bare ssh logins (%.0f ms; links up after %.0f "
                "ms); exec %.1f ms = round trip %.1f ms + %.1f ms (local exec "
                "%.1f ms); 8x2000 lines/s: remote %ld lines, %ld faults, %.2f CPU ms/1000 lines = %.2fx local; "
                "after a %d s drop (%ld lines sent) followed again %.0f ms after sshd returned, %ld lines read, %ld "
                "differing from the ring\n",
                listMs, listMs / std::max(1.0, bareMs), bareMs, helloMs, execMs, roundTrip, execMs - roundTrip,
                localExec, remote.handled, remote.faults, remote.cpuPerThousand,
                remote.cpuPerThousand / std::max(0.001, near.cpuPerThousand), dropSeconds, sent, resumeMs, seen, wrong);
    return 0;
}
