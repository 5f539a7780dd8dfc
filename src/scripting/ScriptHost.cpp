#include "scripting/ScriptHost.h"

#include "platform/Text.h"
#include "scripting/RavelinObject.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace ravelin {

namespace {

constexpr const char* kIndexName = "InitScripts.txt";

bool readFile(const std::filesystem::path& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

// Index lines end in CR LF or LF alike; a final line break is normal and
// makes no empty entry.
std::vector<std::string> indexLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// The folder is written into a VBScript string literal: quotes double.
std::string quotedLiteral(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

} // namespace

ScriptHost::ScriptHost(vbs::ScriptControl& engine, ScriptHostView& view, const OperationTable& operations,
                       std::filesystem::path appFolder)
    : m_engine(engine), m_view(view), m_operations(operations), m_appFolder(std::move(appFolder))
{}

void ScriptHost::InitScripts()
{
    if (m_loading)
        return;
    if (m_running > 0) {
        m_reloadPending = true;
        return;
    }
    m_loading = true;
    load();
    m_loading = false;
}

void ScriptHost::load()
{
    m_engine.reset();
    m_view.clearScriptLists();
    m_consoleProcs.clear();
    m_engine.addObject("Ravelin", vbs::Ref<vbs::Object>(new RavelinObject(m_operations)), true);

    const std::filesystem::path index = m_appFolder / "Scripts" / kIndexName;
    std::string text;
    if (!readFile(index, text)) {
        m_view.DebugPrint("Scripts not loaded: the script index " + index.string() + " cannot be read");
    } else {
        std::vector<std::string> namedModules;
        auto lines = indexLines(text);
        for (std::size_t i = 0; i < lines.size(); ++i)
            loadEntry(lines[i], static_cast<int>(i) + 1, namedModules);
    }

    for (const vbs::ModuleInfo& module : m_engine.modules()) {
        for (const vbs::ProcInfo& proc : module.procedures) {
            if (module.name == kConsoleModule) {
                m_consoleProcs.push_back(proc.name);
                m_view.addConsoleProc(proc.name);
            }
            m_view.addScriptEntry("[" + module.name + "]: " + proc.name);
        }
    }

    m_engine.addCode("Public AppPath");
    m_engine.addCode("AppPath = " + quotedLiteral(m_appFolder.string()));
    m_engine.clearError();
}

void ScriptHost::loadEntry(const std::string& entry, int lineNumber, std::vector<std::string>& namedModules)
{
    const std::string where = std::string(kIndexName) + " line " + std::to_string(lineNumber);
    if (trimBlanks(entry, " \t").empty()) {
        m_view.DebugPrint(where + ": empty line skipped");
        return;
    }
    std::size_t comma = entry.find(',');
    if (comma == std::string::npos) {
        m_view.DebugPrint(where + ": \"" + entry + "\" names no module (expected: file, module); skipped");
        return;
    }
    std::size_t nextComma = entry.find(',', comma + 1);
    const std::string file(trimBlanks(std::string_view(entry).substr(0, comma), " \t"));
    const std::string module(
        trimBlanks(std::string_view(entry).substr(
                       comma + 1, nextComma == std::string::npos ? std::string::npos : nextComma - comma - 1),
                   " \t"));
    if (file.empty() || module.empty()) {
        m_view.DebugPrint(where + ": \"" + entry + "\" needs both a file and a module; skipped");
        return;
    }

    std::string code;
    if (!readFile(m_appFolder / "Scripts" / file, code)) {
        m_view.DebugPrint(where + ": script file Scripts/" + file + " cannot be read; skipped");
        return;
    }

    if (module != kGlobalModule) {
        if (std::find(namedModules.begin(), namedModules.end(), module) != namedModules.end())
            m_view.DebugPrint(where + ": module " + module + " is named again; " + file + " is added to it");
        else
            namedModules.push_back(module);
        m_engine.addModule(module);
    }
    if (!m_engine.addCode(code, module))
        reportEngineError(file);
}

void ScriptHost::reportEngineError(const std::string& file)
{
    const vbs::ScriptError& e = m_engine.error();
    std::string message = "Script error in Scripts/" + file;
    if (e.line > 0)
        message += " line " + std::to_string(e.line) + ", column " + std::to_string(e.column);
    message += ": " + e.description + " [" + std::to_string(e.number) + "]";
    m_view.DebugPrint(message);
    m_engine.clearError();
}

bool ScriptHost::hasConsoleProc(const std::string& procedure) const
{
    return std::find(m_consoleProcs.begin(), m_consoleProcs.end(), procedure) != m_consoleProcs.end();
}

ScriptCallResult ScriptHost::runConsoleProc(const std::string& procedure, const std::string& data)
{
    ScriptCallResult result;
    if (m_loading)
        return result;
    ++m_running;
    std::vector<vbs::Variant> args{vbs::Variant::string(data)};
    m_engine.run(kConsoleModule, procedure, args);
    if (m_engine.hasError()) {
        result.failed = true;
        result.number = m_engine.error().number;
        result.description = m_engine.error().description;
        m_engine.clearError();
    }
    --m_running;
    if (m_running == 0 && m_reloadPending) {
        m_reloadPending = false;
        InitScripts();
    }
    return result;
}

} // namespace ravelin
