// ScriptControl: the engine's interface to its host, the operations of the
// script control the console was built around: reset, add an object (with
// its members as global names), add code to the global module or to named
// modules, list modules and their procedures, run a procedure, evaluate an
// expression, execute a statement, and read or clear the error of the last
// operation. Modules are named by string: "Global" is the global module (the
// name the engine reports for it); any other name, compared exactly, is a
// module of its own whose code sees the global module's names.
//
// No operation throws: every failure (compile error, run-time error, time-out,
// even an exception escaping a host object) lands in `error()`. Each call that
// runs script code is limited by `timeout()` (10 s by default, 0 = no limit);
// code still running then stops with error 1799 "Script timed out".
//
// A script cannot crash its host: nesting too deep for the C++ stack is error
// 28, a string longer than 256 MB error 14, an array of more than 64 M
// elements or memory running out error 7 (caps in Variant.h). Reset frees
// objects kept alive only by reference cycles, running their Class_Terminate.
//
// This is the engine's one public header: a host needs nothing else (the
// value, object and error types come with HostTypes.h).
#pragma once

#include "vbscript/HostTypes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ravelin::vbs {

class Interpreter;
struct Module;

class ScriptControl {
public:
    static constexpr const char* GlobalModuleName = "Global";

    ScriptControl();
    ~ScriptControl();
    ScriptControl(const ScriptControl&) = delete;
    ScriptControl& operator=(const ScriptControl&) = delete;

    // All code, modules, variables and added objects are gone; the error is cleared.
    void reset();

    // Adds a host object under `name`; with `addMembers` its members are
    // callable and readable by their bare names from every module.
    bool addObject(const std::string& name, Ref<Object> object, bool addMembers);

    // Compiles `code` into the module (created if needed) and runs its
    // top-level statements. False (and error() set) on a compile or run-time error.
    bool addCode(const std::string& code, const std::string& module = GlobalModuleName);

    // Creates an empty module; an existing module of that name is kept.
    bool addModule(const std::string& name);
    bool hasModule(const std::string& name) const;

    // Modules in creation order, the global module first.
    std::vector<ModuleInfo> modules() const;
    std::vector<ProcInfo> procedures(const std::string& module = GlobalModuleName) const;

    // Runs a procedure with arguments; ByRef parameters write back into `args`.
    // Empty on failure (error() set).
    std::optional<Variant> run(const std::string& module, const std::string& procedure, std::vector<Variant>& args);
    std::optional<Variant> run(const std::string& module, const std::string& procedure,
                               std::vector<Variant>&& args = {});

    std::optional<Variant> eval(const std::string& expression, const std::string& module = GlobalModuleName);
    bool executeStatement(const std::string& statement, const std::string& module = GlobalModuleName);

    // The error of the last operation (number 0 when it succeeded).
    const ScriptError& error() const { return m_error; }
    bool hasError() const { return m_error.number != 0; }
    void clearError() { m_error = ScriptError{}; }

    void setTimeout(int milliseconds);
    int timeout() const;
    // Stops the code running now as if its time ran out (error 1799); for
    // another thread, or a host object that must end the script.
    void requestStop();

    // The compiled form of `code` (for diagnostics), compiled into the global
    // module without running it; empty on a compile error (error() set).
    std::optional<std::string> dump(const std::string& code);

    // MsgBox, InputBox and CreateObject of unknown ProgIDs go here.
    HostCallbacks& callbacks();

private:
    template <typename F>
    bool guarded(F&& body);
    Module* moduleFor(const std::string& name, bool create);

    std::unique_ptr<Interpreter> m_engine;
    ScriptError m_error;
};

} // namespace ravelin::vbs
