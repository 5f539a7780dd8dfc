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
Ref<Object> refuse(Context&)
{
    raise(Err::CantCreateObject);
}

const BuiltinRegistry& sandboxRegistry()
{
    static const BuiltinRegistry registry = [] {
        BuiltinRegistry r = BuiltinRegistry::standard();
        r.addProgId("Scripting.FileSystemObject", refuse);
        return r;
    }();
    return registry;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * 1024)
        return 0;
    std::string_view code(reinterpret_cast<const char*>(data), size);
    Interpreter engine(sandboxRegistry());
    engine.setTimeout(50);
    try {
        engine.addCode(engine.globalModule(), code);
    } catch (const ScriptException&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
