// The script host: loads the operator's scripts into the engine, exposes the
// main window to them, publishes the console event procedures they define,
// and runs one of those procedures for the console pump.
//
// Loading follows the index file Scripts/InitScripts.txt, one "file, module"
// entry per line: "Global" (exact case) is the engine's global module, any
// other name a module of its own, "Console" the module of console event
// procedures. A broken entry or script costs only itself: it is reported in
// one line on the debug box and every other script still loads.
//
// Scripts run on the user-interface thread and may yield (ConsoleOut), so a
// reload can be asked for while a script runs. Resetting the engine under a
// running script would pull its code out from under it; such a reload waits
// until the running procedure has returned.
#pragma once

#include "console/ConsolePump.h"
#include "scripting/OperationTable.h"
#include "vbscript/ScriptControl.h"

#include <filesystem>
#include <string>
#include <vector>

namespace ravelin {

// The main window's controls the host fills: lstConsoleProc, lstScripts and
// the debug box txtDebug.
class ScriptHostView {
public:
    virtual ~ScriptHostView() = default;
    virtual void clearScriptLists() = 0;
    virtual void addConsoleProc(const std::string& procedure) = 0;
    virtual void addScriptEntry(const std::string& entry) = 0;
    virtual void DebugPrint(const std::string& text) = 0;
};

class ScriptHost {
public:
    static constexpr const char* kConsoleModule = "Console";
    static constexpr const char* kGlobalModule = "Global";

    // `operations` is what scripts reach as "Ravelin"; it must outlive the host.
    ScriptHost(vbs::ScriptControl& engine, ScriptHostView& view, const OperationTable& operations,
               std::filesystem::path appFolder);

    // Reloads every script. Asked for while a script runs, it happens as soon
    // as that script has returned; asked for by a script's top-level code
    // while the scripts load, it is ignored (it would load them forever).
    void InitScripts();

    // Runs a procedure of the module "Console" with one argument and reports
    // any error it raised (the engine's error is cleared).
    ScriptCallResult runConsoleProc(const std::string& procedure, const std::string& data);

    const std::vector<std::string>& consoleProcs() const { return m_consoleProcs; }
    bool hasConsoleProc(const std::string& procedure) const;
    bool loading() const { return m_loading; }
    vbs::ScriptControl& engine() { return m_engine; }

private:
    void load();
    void loadEntry(const std::string& entry, int lineNumber, std::vector<std::string>& namedModules);
    void reportEngineError(const std::string& file);

    vbs::ScriptControl& m_engine;
    ScriptHostView& m_view;
    const OperationTable& m_operations;
    std::filesystem::path m_appFolder;
    std::vector<std::string> m_consoleProcs;
    int m_running = 0;
    bool m_loading = false;
    bool m_reloadPending = false;
};

} // namespace ravelin
