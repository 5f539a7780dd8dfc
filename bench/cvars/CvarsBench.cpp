// The cvar dump and completion, timed.
//
// Dump: a main window (offscreen) connected to a ravelin-console host
// running q3sim; each round clicks the cvars tab and waits until the table
// is filled (q3sim writes a few hundred cvars). The reference is reading and
// parsing the same file alone; the ratio says what the round trip to the
// server, its writing and the poll cost over the parse.
//
// Completion: one key release with a full history (100 lines) that holds no
// match, so the lookup walks the history and then the 47 commands with VB
// Like. The reference is a plain case-free prefix scan over the same 147
// strings.
//
//   cvars_bench [--rounds 30] [--lookups 20000]
#include "../support/HeadlessHost.h"
#include "../support/HostedDesktop.h"
#include "config/CommandLine.h"
#include "config/CvarDumpParser.h"
#include "config/LikeMatch.h"
#include "mainwindow/FrmMain.h"
#include "platform/sim/SimServices.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

using namespace ravelin;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

double msSince(Steady::time_point start)
{
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

struct Host : bench::HeadlessHost {
    Host(const fs::path& bin, const fs::path& base)
        : HeadlessHost(bin, q3sim(bin, {"+set", "fs_basepath", base.string()}))
    {}
};

// A dump's time is measured to the millisecond: check every millisecond.
bool runUntil(const std::function<bool()>& done, int timeoutMs) { return bench::runFor(timeoutMs, done, 1); }

struct Box final : CommandLineView {
    std::string value;
    int start = 0;
    int length = 0;
    std::string text() const override { return value; }
    void setText(const std::string& t) override
    {
        value = t;
        start = static_cast<int>(t.size());
        length = 0;
    }
    int selStart() const override { return start; }
    int selLength() const override { return length; }
    void setSelection(int s, int l) override
    {
        start = s;
        length = l;
    }
    void replaceSelection(const std::string& t) override
    {
        value.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), t);
    }
    void focusCommandLine() override {}
    void showHistoryPopup(const std::vector<PopupRow>&, int) override {}
    void hideHistoryPopup() override {}
    void showCommandPopup() override {}
    void hideCommandPopup() override {}
    void showIntellisense(int) override {}
    void showDosKey(int) override {}
};

} // namespace

int main(int argc, char** argv)
{
    int rounds = 30;
    long lookups = 20000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--rounds")
            rounds = std::atoi(argv[i + 1]);
        else if (std::string(argv[i]) == "--lookups")
            lookups = std::atol(argv[i + 1]);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    const fs::path scratch = fs::temp_directory_path() / ("cvars-bench-" + std::to_string(getpid()));
    fs::create_directories(scratch / "runtime");
    fs::permissions(scratch / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", (scratch / "runtime").c_str(), 1);
    setenv("XDG_CONFIG_HOME", scratch.c_str(), 1);
    QApplication app(argc, argv);

    double dumpMs = 0;
    double parseMs = 0;
    int rows = 0;
    {
        Host host(bin, scratch);
        bench::HostedDesktop desktop;
        ConsoleBridge& bridge = desktop.bridge;
        WindowHandle console = 0;
        if (!runUntil(
                [&] {
                    return (console = desktop.windows.findNextWindow(0, "Quake 3 Console")) > 0
                        && bridge.ReadConsoleOutputOf(console).find("Opening IP socket") != std::string::npos;
                },
                15000)) {
            std::fprintf(stderr, "cvars_bench: no console host came up\n");
            return 1;
        }
        bridge.setSelectedConsole(console);
        FrmMain window(MainServices{bridge, desktop.probe, desktop.settings, desktop.dialogs, scratch});
        window.load();
        auto* table = window.findChild<QTreeWidget*>("lvCVars");
        auto round = [&] {
            const int before = window.session().cvars().fills();
            window.imgTab_Click(kCvarsTab);
            return runUntil([&] { return window.session().cvars().fills() > before; }, 15000);
        };
        round(); // warm-up
        const auto start = Steady::now();
        for (int i = 0; i < rounds; ++i)
            if (!round()) {
                std::fprintf(stderr, "cvars_bench: a dump did not arrive\n");
                return 1;
            }
        dumpMs = msSince(start) / rounds;
        rows = table->topLevelItemCount();

        // The same file, read and parsed alone.
        bridge.SendConsoleCommand("writeconfig ..\\cvars_bench_ref.cfg");
        const fs::path ref = scratch / "cvars_bench_ref.cfg";
        runUntil([&] { return fs::exists(ref) && fs::file_size(ref) > 1000; }, 10000);
        const int parses = rounds * 100;
        std::size_t sink = 0;
        const auto parseStart = Steady::now();
        for (int i = 0; i < parses; ++i) {
            std::ifstream in(ref, std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            sink += parseCvarDump(text).size();
        }
        parseMs = msSince(parseStart) / parses;
        if (sink == 0)
            std::fprintf(stderr, "cvars_bench: the reference file held no rows\n");
        window.unload();
    }
    fs::remove_all(scratch);

    // Completion with a full history of lines that do not match.
    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;
    CommandLine line(settings, dialogs, {[](const std::string&) {}, {}});
    Box box;
    line.setView(&box);
    for (int i = 0; i < CommandLine::kHistoryLimit; ++i)
        line.enter("say message number " + std::to_string(i));
    const auto completeStart = Steady::now();
    for (long i = 0; i < lookups; ++i) {
        box.setText("zz");
        line.txtOut_KeyUp(0);
    }
    const double completeUs = msSince(completeStart) * 1000.0 / static_cast<double>(lookups);
    std::vector<std::string> all(line.CommandHistory().begin(), line.CommandHistory().end());
    for (const char* c : CommandLine::kCommands)
        all.emplace_back(c);
    std::size_t hits = 0;
    const auto prefixStart = Steady::now();
    for (long i = 0; i < lookups; ++i)
        for (const std::string& s : all)
            hits += s.size() >= 2 && (s[0] | 0x20) == 'z' && (s[1] | 0x20) == 'z';
    const double prefixUs = msSince(prefixStart) * 1000.0 / static_cast<double>(lookups);

    std::printf(
        "{\"bench\":\"cvars\",\"rounds\":%d,\"rows\":%d,\"dump_ms\":%.3f,\"parse_ms\":%.4f,\"dump_over_parse\":%.1f,"
        "\"complete_us\":%.3f,\"prefix_us\":%.3f,\"complete_over_prefix\":%.1f,\"hits\":%zu}\n",
        rounds, rows, dumpMs, parseMs, dumpMs / parseMs, completeUs, prefixUs, completeUs / prefixUs, hits);
    std::printf("cvars: click to filled table %.1f ms for %d rows (%.0fx reading and parsing the file alone, %.3f ms); "
                "completion with a full history %.2f us (%.1fx a plain prefix scan)\n",
                dumpMs, rows, dumpMs / parseMs, parseMs, completeUs, completeUs / prefixUs);
    return 0;
}
