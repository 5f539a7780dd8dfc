// The language filter's regular expression over generated chat lines: Test
// on every line, then a global Replace of every listed word, timed for the
// engine's Regex and, as the reference, for Python 3's re on the same file
// with the same pattern. Both sides must count the same lines and produce
// the same replaced text, or the run reports a mismatch and fails.
//
// Usage: bench_vbscript_regex [LINES] [RUNS]   (default 200000 lines, best of 3)
#include "vbscript/Regex.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// The shipped filter's words, all three levels.
const char* const kFilterWords[] = {"fuck",   "fucking", "shit", "cunt",  "motherfucker", "ass",  "asshole",
                                    "bitch",  "bastard", "dick", "piss",  "wanker",       "crap", "damn",
                                    "damned", "hell",    "god",  "jesus", "bloody"};

const char* const kChatWords[] = {
    "gg",     "nice",    "shot",   "rail",      "rocket", "camping", "again",      "lag",     "ping",     "who",
    "is",     "the",     "best",   "map",       "next",   "please",  "admin",      "kick",    "him",      "wtf",
    "lol",    "haha",    "noob",   "pro",       "quad",   "damage",  "armor",      "mega",    "health",   "spawn",
    "frag",   "score",   "team",   "red",       "blue",   "flag",    "capture",    "defend",  "attack",   "hello",
    "shell",  "classic", "assist", "passage",   "bass",   "godlike", "dickens",    "scrap",   "helloooo", "ok",
    "thanks", "sorry",   "wait",   "go",        "left",   "right",   "up",         "down",    "behind",   "you",
    "me",     "them",    "plasma", "lightning", "gun",    "shotgun", "machinegun", "grenade", "bfg",      "railgun",
    "jump",   "strafe",  "circle",
};

std::uint32_t g_seed = 12345;
std::uint32_t nextRandom()
{
    g_seed = g_seed * 1664525u + 1013904223u;
    return g_seed >> 8;
}

// Chat lines as the server prints them: a coloured name, a colon, words;
// about one line in twelve holds a listed word, some in capitals.
std::vector<std::string> makeLines(std::size_t count)
{
    std::vector<std::string> lines;
    lines.reserve(count);
    const std::size_t chatCount = sizeof kChatWords / sizeof *kChatWords;
    const std::size_t badCount = sizeof kFilterWords / sizeof *kFilterWords;
    for (std::size_t i = 0; i < count; ++i) {
        std::string line = "^";
        line += std::to_string(nextRandom() % 8);
        line += "Player";
        line += std::to_string(nextRandom() % 40);
        line += "^7: ";
        std::size_t words = 3 + nextRandom() % 12;
        bool bad = nextRandom() % 12 == 0;
        std::size_t badAt = bad ? nextRandom() % words : words;
        for (std::size_t w = 0; w < words; ++w) {
            if (w)
                line += nextRandom() % 10 == 0 ? ", " : " ";
            std::string word =
                w == badAt ? kFilterWords[nextRandom() % badCount] : kChatWords[nextRandom() % chatCount];
            if (nextRandom() % 7 == 0)
                for (char& c : word)
                    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
            line += word;
        }
        if (nextRandom() % 4 == 0)
            line += nextRandom() % 2 ? "!" : "?";
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string filterPattern()
{
    std::string p = "\\b(";
    for (std::size_t i = 0; i < sizeof kFilterWords / sizeof *kFilterWords; ++i) {
        if (i)
            p += "|";
        p += kFilterWords[i];
    }
    return p + ")\\b";
}

const char* kPythonScript = R"PY(
import re, sys, time
pattern, path, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
with open(path, encoding="latin-1", newline="\n") as f:
    lines = f.read().split("\n")[:-1]
rx = re.compile(pattern, re.IGNORECASE)
best_test = best_sub = None
for _ in range(runs):
    t = time.perf_counter()
    hits = 0
    for line in lines:
        if rx.search(line):
            hits += 1
    best_test = min(best_test or 1e9, time.perf_counter() - t)
    t = time.perf_counter()
    total = 0
    for line in lines:
        total += len(rx.sub("****", line))
    best_sub = min(best_sub or 1e9, time.perf_counter() - t)
print(hits, total, best_test * 1000.0, best_sub * 1000.0)
)PY";

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

} // namespace

int main(int argc, char** argv)
{
    std::size_t lineCount = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200000;
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::vector<std::string> lines = makeLines(lineCount);
    std::string pattern = filterPattern();

    auto compiled = ravelin::vbs::Regex::compile(pattern, ravelin::vbs::RegexFlags{true, false});
    if (!compiled) {
        std::fprintf(stderr, "pattern refused: %s\n", compiled.error.c_str());
        return 1;
    }
    const ravelin::vbs::Regex& rx = *compiled.regex;

    std::size_t hits = 0, total = 0;
    double bestTest = 1e18, bestReplace = 1e18;
    for (int r = 0; r < runs; ++r) {
        auto t0 = Clock::now();
        hits = 0;
        for (const std::string& line : lines)
            hits += rx.test(line) ? 1 : 0;
        bestTest = std::min(bestTest, ms(Clock::now() - t0));
        t0 = Clock::now();
        total = 0;
        for (const std::string& line : lines)
            total += rx.replace(line, "****", true).size();
        bestReplace = std::min(bestReplace, ms(Clock::now() - t0));
    }

    // The reference: Python 3's re over the same lines.
    fs::path dir = fs::temp_directory_path() / ("ravelin-regex-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    {
        std::ofstream data(dir / "lines.txt", std::ios::binary);
        for (const std::string& line : lines)
            data << line << '\n';
        std::ofstream script(dir / "bench.py");
        script << kPythonScript;
    }
    std::string command = "python3 '" + (dir / "bench.py").string() + "' '" + pattern + "' '"
        + (dir / "lines.txt").string() + "' " + std::to_string(runs);
    std::size_t pyHits = 0, pyTotal = 0;
    double pyTest = 0, pyReplace = 0;
    bool havePython = false;
    if (FILE* p = popen(command.c_str(), "r")) {
        havePython = std::fscanf(p, "%zu %zu %lf %lf", &pyHits, &pyTotal, &pyTest, &pyReplace) == 4;
        pclose(p);
    }
    fs::remove_all(dir);

    bool agree = havePython && pyHits == hits && pyTotal == total;
    std::printf("{\"bench\":\"vbscript_regex\",\"lines\":%zu,\"matching_lines\":%zu,\"test_ms\":%.1f,"
                "\"replace_ms\":%.1f,\"python_test_ms\":%.1f,\"python_replace_ms\":%.1f,"
                "\"test_ratio\":%.2f,\"replace_ratio\":%.2f,\"results_agree\":%s}\n",
                lineCount, hits, bestTest, bestReplace, pyTest, pyReplace, havePython ? bestTest / pyTest : 0.0,
                havePython ? bestReplace / pyReplace : 0.0, agree ? "true" : "false");
    if (!havePython) {
        std::printf("vbscript_regex: Test %.1f ms, Replace %.1f ms over %zu lines (python3 not available)\n", bestTest,
                    bestReplace, lineCount);
        return 0;
    }
    std::printf("vbscript_regex: Test %.1f ms (%.2fx Python's %.1f ms), Replace %.1f ms (%.2fx Python's %.1f ms) "
                "over %zu lines, %zu matching%s\n",
                bestTest, bestTest / pyTest, pyTest, bestReplace, bestReplace / pyReplace, pyReplace, lineCount, hits,
                agree ? "" : " — RESULTS DIFFER FROM PYTHON");
    return agree ? 0 : 1;
}
