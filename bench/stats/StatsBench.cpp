// Statistics benchmark.
//
// Ingest: a console pump on the simulated desktop reads passes of kill
// lines (400 a pass, as a busy server fills the box between two ticks).
// Reference: the pump alone; then the same pump feeding the statistics
// (parse, record, one SQLite transaction per pass, WAL on a real file).
// Reported: CPU ms per 1,000 kill lines for each, the statistics' share
// over the pump's, and the events per second the statistics sustain.
//
// Queries: a history of --kills kill lines (default one million, 24
// players, games of 20 minutes over a month) is built through the same
// recorder, then the section's figures (this game, today, all time) are
// read --repeat times each, and the web page's leaderboard and player
// pages are fetched over HTTP from the real server. Reference for the
// page: a request for a page that does not exist (the server's own cost).
// Reported: median and 95th percentile latency, requests per second.
//
//   stats_bench [--kills 1000000] [--ingest-lines 200000] [--repeat 40]
#include "console/ConsolePump.h"
#include "platform/qt/QtHttpServer.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimServices.h"
#include "stats/StatsFeature.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <netinet/in.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

using namespace ravelin;
namespace fs = std::filesystem;

namespace {

// The calling thread's CPU time: what a read costs the user-interface thread.
double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double wallMs(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

const char* const kMeans[] = {"MOD_RAILGUN",        "MOD_ROCKET",    "MOD_ROCKET_SPLASH", "MOD_SHOTGUN",
                              "MOD_PLASMA",         "MOD_LIGHTNING", "MOD_MACHINEGUN",    "MOD_GAUNTLET",
                              "MOD_GRENADE_SPLASH", "MOD_BFG"};
constexpr int kPlayers = 24;

std::string playerName(int slot)
{
    return slot % 6 == 5 ? "Bot" + std::to_string(slot) : "Player" + std::to_string(slot);
}

std::vector<std::string> joinLines()
{
    std::vector<std::string> lines;
    for (int slot = 0; slot < kPlayers; ++slot) {
        lines.push_back("ClientConnect: " + std::to_string(slot));
        lines.push_back("ClientUserinfoChanged: " + std::to_string(slot) + " n\\" + playerName(slot)
                        + "\\t\\0\\model\\sarge" + (slot % 6 == 5 ? "\\skill\\4" : ""));
    }
    return lines;
}

std::string killLine(std::mt19937& random)
{
    const int killer = static_cast<int>(random() % kPlayers);
    int victim = static_cast<int>(random() % kPlayers);
    const char* means = kMeans[random() % std::size(kMeans)];
    const bool world = random() % 20 == 0;
    if (world)
        return "Kill: 1022 " + std::to_string(victim) + " 19: <world> killed " + playerName(victim) + " by MOD_FALLING";
    return "Kill: " + std::to_string(killer) + " " + std::to_string(victim) + " 10: " + playerName(killer) + " killed "
        + playerName(victim) + " by " + means;
}

struct Percentiles {
    double median = 0, p95 = 0, perSecond = 0;
};

Percentiles percentiles(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    Percentiles p;
    p.median = ms[ms.size() / 2];
    p.p95 = ms[std::min(ms.size() - 1, static_cast<std::size_t>(static_cast<double>(ms.size()) * 0.95))];
    double total = 0;
    for (double m : ms)
        total += m;
    p.perSecond = 1000.0 * static_cast<double>(ms.size()) / total;
    return p;
}

// Ingest through the pump; returns CPU seconds for `lines` kill lines.
double ingest(long lines, stats::StatsFeature* feature, std::mt19937& random)
{
    sim::SimDesktop desktop;
    sim::SimMessageLoop loop;
    ConsoleBridge bridge{desktop, loop};
    struct Display final : ConsoleDisplay {
        std::string text;
        void appendDisplay(std::string_view more) override
        {
            text += more;
            if (text.size() > 8192)
                text.erase(0, text.size() - 4096);
        }
        std::string displayText() const override { return text; }
        void setDisplayText(std::string_view replacement) override { text = std::string(replacement); }
    } display;
    bool unloading = false;
    ConsolePump pump{bridge, display, unloading};
    if (feature) {
        pump.hooks().consoleLine = [feature](const std::string& line) { feature->line(line); };
        pump.hooks().passEnded = [feature] { feature->endPass(); };
        for (const std::string& line : joinLines())
            feature->line(line);
        feature->endPass();
    }
    sim::SimConsole& console = desktop.addConsole();
    bridge.setSelectedConsole(console.handle());
    constexpr int kPerPass = 400;
    // The passes' texts are made before the clock starts.
    std::vector<std::string> passes;
    for (long done = 0; done < lines; done += kPerPass) {
        std::string text;
        for (int i = 0; i < kPerPass; ++i)
            text += killLine(random) + "\r\n";
        passes.push_back(std::move(text));
    }
    const double before = cpuSeconds();
    for (const std::string& text : passes) {
        // Numbered lines, as a host gives them; the box is kept small.
        console.setOutput("");
        console.appendRaw(text);
        pump.runPass();
    }
    return cpuSeconds() - before;
}

// One GET over a plain socket; the answer's length, or -1.
long httpGet(int port, const std::string& target)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n";
    if (send(fd, request.data(), request.size(), 0) < 0) {
        close(fd);
        return -1;
    }
    // Read up to the end of the body the headers announce.
    std::string answer;
    char buffer[65536];
    std::size_t wanted = std::string::npos;
    for (ssize_t n; answer.size() < wanted && (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        answer.append(buffer, static_cast<std::size_t>(n));
        const std::size_t headEnd = answer.find("\r\n\r\n");
        if (wanted == std::string::npos && headEnd != std::string::npos) {
            const std::size_t length = answer.find("Content-Length: ");
            if (length == std::string::npos || length > headEnd)
                break;
            wanted = headEnd + 4 + std::strtoul(answer.c_str() + length + 16, nullptr, 10);
        }
    }
    close(fd);
    return static_cast<long>(answer.size());
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    long kills = 1'000'000;
    long ingestLines = 200'000;
    int repeat = 40;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--kills")
            kills = std::atol(argv[i + 1]);
        else if (option == "--ingest-lines")
            ingestLines = std::atol(argv[i + 1]);
        else if (option == "--repeat")
            repeat = std::atoi(argv[i + 1]);
    }
    QCoreApplication app(argc, argv);
    char folderTemplate[] = "/tmp/ravelin-stats-bench-XXXXXX";
    const fs::path folder = mkdtemp(folderTemplate);
    sim::MemorySettings settings;
    std::mt19937 random(7);

    // --- Ingest -----------------------------------------------------------
    // Alternating rounds, the best of each kept: other programs on the
    // machine only ever add time.
    double pumpOnly = 1e9, pumpAndStats = 1e9;
    for (int round = 0; round < 3; ++round) {
        pumpOnly = std::min(pumpOnly, ingest(ingestLines, nullptr, random));
        stats::StatsFeature feature(settings, folder / ("ingest" + std::to_string(round)), nullptr);
        feature.open("Bench", 1);
        pumpAndStats = std::min(pumpAndStats, ingest(ingestLines, &feature, random));
    }
    const double statsOnly = std::max(1e-9, pumpAndStats - pumpOnly);
    const double pumpMs = 1000.0 * pumpOnly / static_cast<double>(ingestLines) * 1000.0;
    const double statsMs = 1000.0 * statsOnly / static_cast<double>(ingestLines) * 1000.0;
    const double eventsPerSecond = static_cast<double>(ingestLines) / statsOnly;

    // --- History of `kills` kills -------------------------------------------
    std::int64_t now = 1'800'000'000 - 30 * 86400;
    stats::StatsFeature* live = nullptr;
    sim::MemorySettings webSettings;
    webSettings.saveSetting(kSettingsApp, "WebStatistics", "Enabled", "1");
    webSettings.saveSetting(kSettingsApp, "WebStatistics", "Port", "0");
    QtHttpServer server;
    stats::StatsFeature feature(webSettings, folder / "history", &server, [&now] { return now; });
    live = &feature;
    feature.open("Bench", 2);
    const auto buildStart = std::chrono::steady_clock::now();
    const long perGame = 1500; // a busy 20-minute game
    // The passes and games spread over a month.
    const std::int64_t step = 30 * 86400 / std::max<long>(1, kills / 500 + kills / perGame);
    for (long done = 0; done < kills;) {
        feature.line("InitGame: \\mapname\\q3dm" + std::to_string(1 + done / perGame % 19) + "\\g_gametype\\0");
        for (const std::string& line : joinLines())
            feature.line(line);
        for (long i = 0; i < perGame && done < kills; ++i, ++done) {
            if (i % 500 == 0) {
                feature.endPass();
                now += step;
            }
            feature.line(killLine(random));
        }
        feature.line("Exit: Fraglimit hit.");
        for (int slot = 0; slot < kPlayers; ++slot)
            feature.line("score: " + std::to_string(slot) + "  ping: 40  client: " + std::to_string(slot) + " "
                         + playerName(slot));
        feature.line("ShutdownGame:");
        feature.endPass();
        now += step;
    }
    // The last game still runs, so "this game" has figures.
    feature.line("InitGame: \\mapname\\q3dm17\\g_gametype\\0");
    for (const std::string& line : joinLines())
        feature.line(line);
    for (int i = 0; i < 300; ++i)
        feature.line(killLine(random));
    feature.endPass();
    const double buildSeconds = wallMs(buildStart) / 1000.0;

    auto timed = [&](auto&& work) {
        std::vector<double> ms;
        for (int i = 0; i < repeat; ++i) {
            const auto start = std::chrono::steady_clock::now();
            work();
            ms.push_back(wallMs(start));
        }
        return percentiles(ms);
    };
    const Percentiles game = timed([&] { (void)live->snapshot(stats::Span::Game); });
    const Percentiles today = timed([&] { (void)live->snapshot(stats::Span::Today); });
    const Percentiles all = timed([&] { (void)live->snapshot(stats::Span::AllTime); });
    const Percentiles reference = timed([&] { (void)live->store()->killCount(); });

    // The web page over HTTP: a client thread, the server on this one.
    Percentiles page, player, missing;
    const int port = server.port();
    std::thread client([&] {
        auto fetch = [&](const std::string& target) {
            std::vector<double> ms;
            for (int i = 0; i < repeat; ++i) {
                const auto start = std::chrono::steady_clock::now();
                if (httpGet(port, target) <= 0)
                    std::fprintf(stderr, "stats_bench: no answer for %s\n", target.c_str());
                ms.push_back(wallMs(start));
            }
            return percentiles(ms);
        };
        missing = fetch("/missing");
        page = fetch("/?span=all");
        player = fetch("/player?id=1&span=all");
        QMetaObject::invokeMethod(
            &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    client.join();

    // Ravelin started again on this history. The first look at all time
    // reads every kill: read in place it holds the caller that long; read
    // beside the pump at open, the caller only waits for the pass to take it.
    const std::string history = live->databaseFile().string();
    double coldAllMs = 0, coldAllCpuMs = 0, warmMs = 0, warmedUiMs = 0;
    {
        stats::StatsStore plain(history);
        const auto start = std::chrono::steady_clock::now();
        const double cpu = threadCpuSeconds();
        (void)plain.players({0, now + 1, 0}, false, now);
        coldAllMs = wallMs(start);
        coldAllCpuMs = 1000.0 * (threadCpuSeconds() - cpu);
    }
    {
        sim::MemorySettings quiet;
        stats::StatsFeature again(quiet, folder / "history", nullptr, [&now] { return now; });
        const auto start = std::chrono::steady_clock::now();
        const double cpu = threadCpuSeconds();
        again.open("Bench", 2);
        while (again.store()->adoptWarmed())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        warmMs = wallMs(start);
        (void)again.snapshot(stats::Span::AllTime);
        warmedUiMs = 1000.0 * (threadCpuSeconds() - cpu);
    }

    std::printf("{\"bench\":\"stats\",\"ingest_lines\":%ld,\"pump_ms_per_1000\":%.3f,\"stats_ms_per_1000\":%.3f,"
                "\"stats_over_pump\":%.2f,\"events_per_second\":%.0f,\"kills\":%lld,\"build_seconds\":%.1f,"
                "\"game_p50\":%.2f,\"game_p95\":%.2f,\"today_p50\":%.2f,\"today_p95\":%.2f,\"all_p50\":%.2f,"
                "\"all_p95\":%.2f,\"count_p50\":%.2f,\"page_p50\":%.2f,\"page_p95\":%.2f,\"page_rps\":%.1f,"
                "\"player_p50\":%.2f,\"player_p95\":%.2f,\"player_rps\":%.1f,\"missing_p50\":%.2f,"
                "\"missing_rps\":%.1f}\n",
                ingestLines, pumpMs, statsMs, statsMs / pumpMs, eventsPerSecond,
                static_cast<long long>(live->store()->killCount()), buildSeconds, game.median, game.p95, today.median,
                today.p95, all.median, all.p95, reference.median, page.median, page.p95, page.perSecond, player.median,
                player.p95, player.perSecond, missing.median, missing.perSecond);
    std::printf("ingest: statistics %.3f ms CPU per 1,000 kill lines (pump alone %.3f ms, ratio %.2f), %.0f events/s\n",
                statsMs, pumpMs, statsMs / pumpMs, eventsPerSecond);
    std::printf("section, %lld kills: this game p50 %.1f / p95 %.1f ms, today %.1f / %.1f ms, all time %.1f / %.1f "
                "ms (a count of all kills: %.1f ms, all time / count %.1f)\n",
                static_cast<long long>(live->store()->killCount()), game.median, game.p95, today.median, today.p95,
                all.median, all.p95, reference.median, all.median / std::max(0.01, reference.median));
    std::printf("first all-time read after a restart: in place %.0f ms wall, %.0f ms CPU of the caller; beside the "
                "pump ready after %.0f ms, %.0f ms CPU of the caller (in place / beside %.1f)\n",
                coldAllMs, coldAllCpuMs, warmMs, warmedUiMs, coldAllCpuMs / std::max(0.01, warmedUiMs));
    std::printf("web page: leaderboard p50 %.1f / p95 %.1f ms, %.1f req/s; player p50 %.1f / p95 %.1f ms, %.1f "
                "req/s; missing page (server's own cost) %.2f ms, %.0f req/s, leaderboard / missing %.1f\n",
                page.median, page.p95, page.perSecond, player.median, player.p95, player.perSecond, missing.median,
                missing.perSecond, page.median / std::max(0.01, missing.median));
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
