// Object built-ins: CreateObject and GetObject, and the ProgIDs the engine
// creates itself (Scripting.Dictionary, Scripting.FileSystemObject). Other
// ProgIDs go to the host, then fail with error 429 as on the original.
#include "vbscript/Builtins.h"
#include "vbscript/Dictionary.h"
#include "vbscript/FileSystem.h"

namespace ravelin::vbs {

namespace {

using Args = std::span<Variant>;

Variant fnCreateObject(Context& ctx, Args a) { return ctx.createObject(argString(a, 0)); }

Variant fnGetObject(Context&, Args) { raise(Err::CantCreateObject); }

const BuiltinDef objectFunctions[] = {
    {"CreateObject", 1, 2, fnCreateObject},
    {"GetObject", 0, 2, fnGetObject},
};

Ref<Object> makeDictionary(Context& ctx) { return Ref<Object>(new Dictionary(ctx.objectRegistry())); }
Ref<Object> makeFileSystem(Context&) { return Ref<Object>(new FileSystemObject); }

} // namespace

void registerObjectBuiltins(BuiltinRegistry& r)
{
    r.addFunctions(objectFunctions);
    r.addProgId("Scripting.Dictionary", makeDictionary);
    r.addProgId("Scripting.FileSystemObject", makeFileSystem);
}

} // namespace ravelin::vbs
