// VBScript source: compiled, then run under a short time limit. Any end but
// a VBScript error (or memory running out, which libFuzzer limits) is a bug.
#include "vbscript/Interpreter.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <string_view>

using namespace ravelin::vbs;

namespace {

// Fuzzed scripts must not touch the machine's files.
Ref<Object> refuse(Context&) { raise(Err::CantCreateObject); }

const BuiltinRegistry& sandboxRegistry()
{
    static const BuiltinRegistry registry = [] {
        BuiltinRegistry r = BuiltinRegistry::standard();
        r.addProgId("Scripting.FileSystemObject", refuse);
        return r;
    }();
    return registry;
}

// WScript as the engine's own test scripts use it: Echo prints nothing,
// Quit ends the script, Arguments(0) names no folder.
class QuietWScript : public Object {
public:
    std::string typeName() const override { return "Object"; }
    int memberId(std::string_view name) const override { return table().find(name); }
    Variant invoke(int id, InvokeKind, std::span<Variant>) override
    {
        switch (id) {
        case 1: return {};
        case 2: {
            ScriptError e;
            e.number = 1799;
            e.description = "WScript.Quit";
            throw ScriptException(e, true);
        }
        case 3: return Variant::string("/nonexistent");
        default: raise(Err::NoSuchMember);
        }
    }

private:
    static const MemberTable& table()
    {
        static const MemberTable t({"Echo", "Quit", "Arguments"});
        return t;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * 1024)
        return 0;
    std::string_view code(reinterpret_cast<const char*>(data), size);
    Interpreter engine(sandboxRegistry());
    engine.setTimeout(50);
    engine.addObject("WScript", Ref<Object>(new QuietWScript), false);
    try {
        engine.addCode(engine.globalModule(), code);
    } catch (const ScriptException&) {
    } catch (const std::bad_alloc&) {}
    return 0;
}
