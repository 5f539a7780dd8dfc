// The registry of built-in functions, creatable classes (`New RegExp`) and
// CreateObject ProgIDs.
//
// Each family of built-ins (strings, conversion, maths, inspection, dates,
// formatting, objects) lives in its own file and contributes one table of
// `BuiltinDef` rows through one registration function; the list of those
// functions is RAVELIN_VBS_BUILTIN_FAMILIES below and is the only place the
// engine learns about a family. The compiler resolves a call to a built-in to
// its index once, so nothing looks a name up while a script runs.
//
// A built-in receives its evaluated arguments (objects stay objects; a skipped
// optional argument such as the second in `MsgBox "x", , "t"` arrives as
// `missingArgument()`), and uses the shared argument helpers below so that
// errors 5, 13 and 94 read the same in every family.
#pragma once

#include "vbscript/Errors.h"
#include "vbscript/HostTypes.h"
#include "vbscript/Object.h"
#include "vbscript/Variant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ravelin::vbs {

class BuiltinRegistry;

// What a built-in may ask of the engine running it.
class Context {
public:
    virtual ~Context() = default;

    // MsgBox and InputBox go to the host (a dialog in the GUI, the terminal in
    // ravelin-vbs). MsgBox returns the button pressed (vbOK = 1 ...); InputBox
    // returns the text, or Empty when cancelled.
    virtual int msgBox(const std::string& prompt, int buttons, const std::string& title) = 0;
    virtual Variant inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) = 0;

    // Rnd's state, per engine: Rnd(x) with x<0 reseeds, x=0 repeats the last value.
    virtual float rnd(const Variant* argument) = 0;
    virtual void randomize(const Variant* seed) = 0;

    // CreateObject: a registered ProgID, then the host's; raises 429 otherwise.
    virtual Variant createObject(const std::string& progId) = 0;

    virtual const BuiltinRegistry& registry() const = 0;

    // Eval, Execute, ExecuteGlobal and GetRef work in the scope of the running code.
    virtual Variant evalText(const std::string& expression) = 0;
    virtual void executeText(const std::string& code, bool global) = 0;
    virtual Variant getRef(const std::string& procedureName) = 0;

    // Where containers (Dictionary) register so the engine can break their cycles.
    virtual std::shared_ptr<ObjectRegistry> objectRegistry() { return nullptr; }
};

using BuiltinFunction = Variant (*)(Context& ctx, std::span<Variant> args);
using ObjectFactory = Ref<Object> (*)(Context& ctx);

struct BuiltinDef {
    std::string_view name;
    uint8_t minArgs;
    uint8_t maxArgs;
    BuiltinFunction function;
};

struct BuiltinConstant {
    std::string_view name;
    Variant value;
};

class BuiltinRegistry {
public:
    // Adds a family's table; the rows must outlive the registry (static tables).
    void addFunctions(std::span<const BuiltinDef> table);
    void addConstant(std::string_view name, Variant value);
    // `New name` creates through factory (RegExp).
    void addClass(std::string_view name, ObjectFactory factory);
    // CreateObject("progId") creates through factory; the ProgID matches in any case.
    void addProgId(std::string_view progId, ObjectFactory factory);

    // Lookups by name in any case; -1 / nullptr when absent.
    int functionIndex(std::string_view name) const;
    const BuiltinDef& function(int index) const { return *m_functions[static_cast<size_t>(index)]; }
    int constantIndex(std::string_view name) const;
    const Variant& constant(int index) const { return m_constants[static_cast<size_t>(index)]; }
    ObjectFactory classFactory(std::string_view name) const;
    ObjectFactory progIdFactory(std::string_view progId) const;

    // The registry with every family registered, built once.
    static const BuiltinRegistry& standard();

private:
    std::vector<const BuiltinDef*> m_functions;
    std::unordered_map<std::string, int> m_functionIndex;
    std::vector<Variant> m_constants;
    std::unordered_map<std::string, int> m_constantIndex;
    std::unordered_map<std::string, ObjectFactory> m_classes;
    std::unordered_map<std::string, ObjectFactory> m_progIds;
};

// The families, each defined in its own Builtins<Family>.cpp (RegExp in
// RegExpObject.cpp). registerDateBuiltins, registerFormatBuiltins and
// registerRegExp are empty in BuiltinsPending.cpp until their real versions land.
#define RAVELIN_VBS_BUILTIN_FAMILIES(X)                                                                                \
    X(registerStringBuiltins)                                                                                          \
    X(registerConversionBuiltins)                                                                                      \
    X(registerMathBuiltins)                                                                                            \
    X(registerTypeInfoBuiltins)                                                                                        \
    X(registerObjectBuiltins)                                                                                          \
    X(registerDateBuiltins)                                                                                            \
    X(registerFormatBuiltins)                                                                                          \
    X(registerRegExp)

#define RAVELIN_VBS_DECLARE_FAMILY(fn) void fn(BuiltinRegistry& registry);
RAVELIN_VBS_BUILTIN_FAMILIES(RAVELIN_VBS_DECLARE_FAMILY)
#undef RAVELIN_VBS_DECLARE_FAMILY

// ---- Shared argument helpers. `i` is the argument's position (0-based).

// The value standing for a skipped optional argument.
Variant missingArgument();
// True when argument i is present and not skipped.
inline bool hasArg(std::span<Variant> args, size_t i) { return i < args.size() && !isMissing(args, i); }
// Coerced arguments: objects are read through their default member, Null is
// error 94, and the other failures are 13 or 6 as in CStr/CLng/CDbl/CBool.
std::string argString(std::span<Variant> args, size_t i);
// The text of argument i without a copy when it already is a String; other
// values are converted into `scratch` (same rules as argString).
std::string_view argView(std::span<Variant> args, size_t i, std::string& scratch);
int32_t argLong(std::span<Variant> args, size_t i);
double argDouble(std::span<Variant> args, size_t i);
bool argBool(std::span<Variant> args, size_t i);
// Same with a default for a missing argument.
int32_t argLongOr(std::span<Variant> args, size_t i, int32_t fallback);
std::string argStringOr(std::span<Variant> args, size_t i, std::string fallback);
// Comparison mode argument (vbBinaryCompare 0, vbTextCompare 1); error 5 otherwise.
CompareMode argCompareMode(std::span<Variant> args, size_t i);
// The argument with its object default member read (for Null checks).
Variant argValue(std::span<Variant> args, size_t i);
// Error 5 unless cond holds.
void requireValid(bool cond);

} // namespace ravelin::vbs
