// ravelin-vbs: runs a VBScript file like the classic command-line script host,
// with the same engine the console embeds, through its public interface only.
// `--dump FILE` prints the compiled form instead of running it.
#include "vbscript/Interrupt.h"
#include "vbscript/ScriptControl.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

using namespace ravelin::vbs;

namespace {

// WScript.Quit records its exit code here and ends the script with a fatal
// error, which no On Error Resume Next holds up.
struct QuitRequest {
    bool quit = false;
    int code = 0;
};
QuitRequest g_quit;

// Sleeps in short slices, checking the script's time limit between them, so
// a long Sleep ends with the time-out like any other long statement.
void sleepChecked(int32_t milliseconds)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        checkInterrupt();
        auto now = std::chrono::steady_clock::now();
        if (now >= until)
            return;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(until - now, std::chrono::milliseconds(20)));
    }
}

// WScript.Arguments: Count, Length, Item(i) (the default member), For Each.
class Arguments : public Object {
public:
    explicit Arguments(std::vector<std::string> args) : m_args(std::move(args)) {}
    std::string typeName() const override { return "Object"; }
    int memberId(std::string_view name) const override { return table().find(name); }
    const void* memberKey() const override { return &table(); }
    Variant invoke(int id, InvokeKind, std::span<Variant> args) override
    {
        switch (id) {
        case 0:
        case 1: {
            expectArgs(args, 1, 1);
            int32_t i = args[0].toLong();
            if (i < 0 || static_cast<size_t>(i) >= m_args.size())
                raise(Err::SubscriptOutOfRange);
            return Variant::string(m_args[static_cast<size_t>(i)]);
        }
        case 2:
        case 3: return Variant::longInt(static_cast<int32_t>(m_args.size()));
        default: raise(Err::NoSuchMember);
        }
    }
    std::unique_ptr<Enumerator> enumerate() override
    {
        std::vector<Variant> items;
        for (auto& a : m_args)
            items.push_back(Variant::string(a));
        return std::make_unique<VectorEnumerator>(std::move(items));
    }

private:
    static const MemberTable& table()
    {
        static const MemberTable t({"Item", "Count", "Length"});
        return t;
    }
    std::vector<std::string> m_args;
};

// WScript.StdOut / StdErr / StdIn.
class StdStream : public Object {
public:
    explicit StdStream(std::FILE* f) : m_file(f) {}
    std::string typeName() const override { return "TextStream"; }
    int memberId(std::string_view name) const override { return table().find(name); }
    const void* memberKey() const override { return &table(); }
    Variant invoke(int id, InvokeKind, std::span<Variant> args) override
    {
        switch (id) {
        case 1: // Write
            expectArgs(args, 1, 1);
            put(args[0].toString());
            return {};
        case 2: // WriteLine
            expectArgs(args, 0, 1);
            put((args.empty() ? std::string() : args[0].toString()) + "\n");
            return {};
        case 3: { // ReadLine
            std::string line;
            if (!std::getline(std::cin, line))
                raise(Err::InputPastEnd);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return Variant::string(line);
        }
        case 4: // AtEndOfStream
            return Variant::boolean(std::cin.peek() == EOF);
        case 5: // WriteBlankLines
            expectArgs(args, 1, 1);
            put(std::string(static_cast<size_t>(std::max(0, args[0].toLong())), '\n'));
            return {};
        case 6: // Close
            return {};
        default: raise(Err::NoSuchMember);
        }
    }

private:
    void put(const std::string& s)
    {
        std::fwrite(s.data(), 1, s.size(), m_file);
        if (m_file == stderr)
            std::fflush(stderr);
    }
    static const MemberTable& table()
    {
        static const MemberTable t({"Write", "WriteLine", "ReadLine", "AtEndOfStream", "WriteBlankLines", "Close"});
        return t;
    }
    std::FILE* m_file;
};

std::string echoText(const Variant& v)
{
    if (v.isNull())
        return "Null";
    return v.toText();
}

class WScriptObject : public Object {
public:
    WScriptObject(std::string name, std::string fullName, std::vector<std::string> args)
        : m_name(std::move(name)), m_fullName(std::move(fullName)), m_args(new Arguments(std::move(args))),
          m_out(new StdStream(stdout)), m_err(new StdStream(stderr)), m_in(new StdStream(stdin))
    {}
    std::string typeName() const override { return "Object"; }
    int memberId(std::string_view name) const override { return table().find(name); }
    const void* memberKey() const override { return &table(); }
    Variant invoke(int id, InvokeKind, std::span<Variant> args) override
    {
        switch (id) {
        case 1: { // Echo
            std::string line;
            for (size_t i = 0; i < args.size(); ++i) {
                if (i)
                    line += ' ';
                line += echoText(args[i]);
            }
            line += '\n';
            std::fwrite(line.data(), 1, line.size(), stdout);
            return {};
        }
        case 2: // Arguments
            if (!args.empty())
                return m_args->invoke(0, InvokeGet, args);
            return Variant::object(m_args.get());
        case 3: { // Quit
            std::fflush(stdout);
            int code = args.empty() || isMissing(args, 0) ? 0 : args[0].toLong();
            g_quit = {true, code};
            ScriptError e;
            e.number = 1799;
            e.description = "WScript.Quit";
            throw ScriptException(e, true);
        }
        case 4: return Variant::object(m_out.get());
        case 5: return Variant::object(m_err.get());
        case 6: return Variant::object(m_in.get());
        case 7: return Variant::string(m_name);
        case 8: return Variant::string(m_fullName);
        case 9: // Sleep
            expectArgs(args, 1, 1);
            sleepChecked(std::max(0, args[0].toLong()));
            return {};
        case 10: return Variant::string("ravelin-vbs");
        case 11: return Variant::string("5.8");
        case 12: return Variant::string(m_fullName.substr(0, m_fullName.size() - m_name.size()));
        default: raise(Err::NoSuchMember);
        }
    }

private:
    static const MemberTable& table()
    {
        static const MemberTable t({"Echo", "Arguments", "Quit", "StdOut", "StdErr", "StdIn", "ScriptName",
                                    "ScriptFullName", "Sleep", "Name", "Version", "Path"});
        return t;
    }
    std::string m_name, m_fullName;
    Ref<Object> m_args, m_out, m_err, m_in;
};

const char* const usageText = "usage: ravelin-vbs [--timeout SECONDS] FILE [ARGS...]\n"
                              "       ravelin-vbs --dump FILE\n"
                              "       ravelin-vbs --help\n"
                              "\n"
                              "Runs a VBScript file with Ravelin's script engine. WScript.Echo, Arguments,\n"
                              "StdIn/StdOut/StdErr, Sleep and Quit are available; MsgBox prints its prompt.\n"
                              "\n"
                              "  --timeout SECONDS  stop the script after this long with error 1799\n"
                              "                     (default: no limit)\n"
                              "  --dump FILE        print the compiled form instead of running it\n"
                              "  --help             show this text\n"
                              "\n"
                              "Exit status: 0 on success (or WScript.Quit's code), 1 on a script error,\n"
                              "2 on a usage error or an unreadable file.\n";

int usage()
{
    std::fputs(usageText, stderr);
    return 2;
}

void report(const std::string& file, const ScriptError& e)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s(%d, %d) error %d: %s\n", file.c_str(), e.line, e.column, e.number, e.description.c_str());
}

int runMain(int argc, char** argv)
{
    int timeoutMs = 0;
    bool dump = false;
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--version") {
            std::printf("ravelin-vbs %s\n", RAVELIN_VERSION_TEXT);
            return 0;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(usageText, stdout);
            return 0;
        }
        if (a == "--dump") {
            dump = true;
            continue;
        }
        if (a == "--timeout") {
            if (i + 1 >= argc)
                return usage();
            char* end = nullptr;
            double seconds = std::strtod(argv[++i], &end);
            if (!end || *end || !(seconds >= 0) || seconds > 2000000) {
                std::fprintf(stderr, "ravelin-vbs: --timeout wants a number of seconds, not '%s'\n", argv[i]);
                return 2;
            }
            timeoutMs = static_cast<int>(seconds * 1000);
            if (seconds > 0 && timeoutMs == 0)
                timeoutMs = 1;
            continue;
        }
        break;
    }
    if (i >= argc)
        return usage();
    std::string file = argv[i++];
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "ravelin-vbs: cannot open %s\n", file.c_str());
        return 2;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    std::string code = ss.str();

    std::error_code ec;
    std::string fullName = std::filesystem::absolute(file, ec).string();
    std::string name = std::filesystem::path(file).filename().string();
    std::vector<std::string> args;
    for (; i < argc; ++i)
        args.emplace_back(argv[i]);

    ScriptControl engine;
    engine.setTimeout(timeoutMs);
    const auto started = std::chrono::steady_clock::now();
    engine.callbacks().msgBox = [](const std::string& prompt, int, const std::string&) {
        std::fwrite(prompt.data(), 1, prompt.size(), stdout);
        std::fputc('\n', stdout);
        return 1;
    };
    engine.callbacks().inputBox = [](const std::string& prompt, const std::string&, const std::string& def) {
        std::fwrite(prompt.data(), 1, prompt.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        std::string line;
        if (!std::getline(std::cin, line))
            return Variant();
        return Variant::string(line.empty() ? def : line);
    };
    Ref<Object> wscript(new WScriptObject(name, fullName, args));
    engine.addObject("WScript", wscript, false);
    int rc = 0;
    if (dump) {
        if (auto text = engine.dump(code))
            std::fwrite(text->data(), 1, text->size(), stdout);
        else
            rc = 1;
    } else if (!engine.addCode(code)) {
        rc = 1;
    }
    if (rc == 0 && !g_quit.quit) {
        // The objects left run their Class_Terminate now, inside what is
        // left of the time limit, so a terminator that never ends is
        // reported like any other time-out.
        if (timeoutMs > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                started + std::chrono::milliseconds(timeoutMs) - std::chrono::steady_clock::now());
            engine.setTimeout(static_cast<int>(std::max<int64_t>(1, left.count())));
        }
        engine.reset();
        if (engine.hasError())
            rc = 1;
    }
    if (g_quit.quit) {
        rc = g_quit.code;
    } else if (rc == 1) {
        report(file, engine.error());
    }
    std::fflush(stdout);
    return rc;
}

} // namespace

int main(int argc, char** argv)
{
    // Nothing a script does may end the program by an uncaught exception.
    try {
        return runMain(argc, argv);
    } catch (const std::exception& ex) {
        std::fflush(stdout);
        std::fprintf(stderr, "ravelin-vbs: internal error: %s\n", ex.what());
    } catch (...) {
        std::fflush(stdout);
        std::fprintf(stderr, "ravelin-vbs: internal error\n");
    }
    return 3;
}
