// Dispatch cost per console line: the console pump following an in-process
// console (so no socket time is measured) while chat lines arrive, with
//   reference  no script procedure listed: the pump only echoes the lines;
//   empty      Q3ARVL_say that does nothing;
//   filter     Q3ARVL_say handing each line to the shipped language filter
//              (Q3A_ConsoleExec.q3s at its strictest level; one line in
//              twenty holds a listed word and gets a warning said).
// Printed: microseconds per line for each, and what the script adds over the
// reference, as a JSON line and a one-line summary.
#include "console/ConsolePump.h"
#include "platform/sim/SimDesktop.h"
#include "scripting/RavelinObject.h"
#include "scripting/ScriptHost.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

using namespace ravelin;
namespace fs = std::filesystem;

namespace {

struct StringDisplay : ConsoleDisplay {
    std::string text;
    void appendDisplay(std::string_view t) override { text += t; }
    std::string displayText() const override { return text; }
    void setDisplayText(std::string_view t) override { text = std::string(t); }
};

struct QuietWindow : RavelinOperations, ScriptHostView {
    ScriptHost* host = nullptr;
    long said = 0;
    void ConsoleOut(const std::string&) override { ++said; }
    std::string ConsoleExec(const std::string&) override { return {}; }
    void DebugPrint(const std::string& t) override { std::fprintf(stderr, "debug: %s\n", t.c_str()); }
    void InitScripts() override { host->InitScripts(); }
    std::string sGetComputerName() override { return "bench"; }
    void clearScriptLists() override {}
    void addConsoleProc(const std::string&) override {}
    void addScriptEntry(const std::string&) override {}
};

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Microseconds per line for `lines` chat lines, fed in batches the size of a
// busy pump tick.
double run(const fs::path& app, int lines, long* said)
{
    sim::SimDesktop desktop;
    NullMessageLoop loop;
    ConsoleBridge bridge(desktop, loop);
    sim::SimConsole& console = desktop.addConsole();
    bridge.setSelectedConsole(console.handle());

    vbs::ScriptControl engine;
    QuietWindow window;
    OperationTable table;
    addRavelinOperations(table, window);
    ScriptHost host(engine, window, table, app);
    window.host = &host;
    host.InitScripts();
    engine.executeStatement("CHAT_FILTER_MODE = 2");

    StringDisplay display;
    bool unloading = false;
    ConsolePumpHooks hooks;
    hooks.hasConsoleProc = [&](const std::string& p) { return host.hasConsoleProc(p); };
    hooks.runConsoleProc = [&](const std::string& p, const std::string& d) { return host.runConsoleProc(p, d); };
    ConsolePump pump(bridge, display, unloading, hooks);

    const char* words[] = {"nice shot",        "gg all",           "where is the rail", "lag again",
                           "who wants a duel", "camping the quad", "that was close",    "rematch?"};
    constexpr int kBatch = 50;
    auto start = std::chrono::steady_clock::now();
    for (int done = 0; done < lines; done += kBatch) {
        std::string text;
        for (int i = done; i < done + kBatch && i < lines; ++i) {
            text += "say: Player" + std::to_string(i % 12) + ": " + words[i % 8];
            text += (i % 20 == 0) ? " what the hell\r\n" : " ok\r\n";
        }
        // Numbered lines, as a host gives them; the box is kept small.
        console.setOutput("");
        console.appendRaw(text);
        pump.runPass();
    }
    auto elapsed = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    *said = window.said;
    return elapsed / lines;
}

} // namespace

int main(int argc, char** argv)
{
    int lines = 20000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--lines") == 0)
            lines = std::atoi(argv[i + 1]);

    const fs::path root = fs::temp_directory_path() / ("ravelin-dispatch-bench-" + std::to_string(::getpid()));
    const fs::path ref = root / "reference", empty = root / "empty", filter = root / "filter";
    for (const fs::path& app : {ref, empty, filter})
        fs::create_directories(app / "Scripts");
    writeFile(ref / "Scripts" / "InitScripts.txt", "");
    writeFile(empty / "Scripts" / "InitScripts.txt", "c.q3s, Console\r\n");
    writeFile(empty / "Scripts" / "c.q3s", "Sub Q3ARVL_say(data)\r\nEnd Sub\r\n");
    const fs::path shipped = fs::path(RAVELIN_SOURCE_DIR) / "assets" / "Scripts";
    for (const char* name : {"Global.q3s", "Q3A_ConsoleExec.q3s", "Q3A_ConsoleExec.words.txt"})
        fs::copy_file(shipped / name, filter / "Scripts" / name);
    writeFile(filter / "Scripts" / "InitScripts.txt",
              "Global.q3s, Global\r\nQ3A_ConsoleExec.q3s, Global\r\nc.q3s, Console\r\n");
    writeFile(filter / "Scripts" / "c.q3s",
              "Sub Q3ARVL_say(data)\r\n Dim n, t\r\n If ParseChat(data, n, t) Then FilterChat n, t\r\nEnd Sub\r\n");

    long said = 0;
    run(ref, lines / 10, &said); // warm-up
    const double reference = run(ref, lines, &said);
    const double emptyProc = run(empty, lines, &said);
    const double filtered = run(filter, lines, &said);
    fs::remove_all(root);

    std::printf("{\"bench\":\"dispatch\",\"lines\":%d,\"reference_us\":%.2f,\"empty_us\":%.2f,\"filter_us\":%.2f,"
                "\"empty_ratio\":%.2f,\"filter_ratio\":%.2f,\"warnings\":%ld}\n",
                lines, reference, emptyProc, filtered, emptyProc / reference, filtered / reference, said);
    std::printf("dispatch: %.2f us/line echo only; empty script %.2f us/line (+%.2f, x%.2f); "
                "shipped filter %.2f us/line (+%.2f, x%.2f)\n",
                reference, emptyProc, emptyProc - reference, emptyProc / reference, filtered, filtered - reference,
                filtered / reference);
    return said > 0 ? 0 : 1;
}
