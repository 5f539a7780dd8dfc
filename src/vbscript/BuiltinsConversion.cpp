// Conversion built-ins: the C* functions, each a thin wrapper over the one
// coercion in Variant.cpp so the rules (banker's rounding, overflow 6, Null 94,
// type mismatch 13) are the same as in every other conversion.
#include "vbscript/Builtins.h"

namespace ravelin::vbs {

namespace {

using Args = std::span<Variant>;

Variant fnCBool(Context&, Args a) { return Variant::boolean(argValue(a, 0).toBool()); }
Variant fnCByte(Context&, Args a) { return Variant::byte(argValue(a, 0).toByte()); }
Variant fnCCur(Context&, Args a) { return Variant::currency(argValue(a, 0).toCurrency()); }
Variant fnCDate(Context&, Args a) { return Variant::date(argValue(a, 0).toDate()); }
Variant fnCDbl(Context&, Args a) { return Variant::dbl(argValue(a, 0).toDouble()); }
Variant fnCInt(Context&, Args a) { return Variant::integer(argValue(a, 0).toInteger()); }
Variant fnCLng(Context&, Args a) { return Variant::longInt(argValue(a, 0).toLong()); }
Variant fnCSng(Context&, Args a) { return Variant::single(argValue(a, 0).toSingle()); }
Variant fnCStr(Context&, Args a) { return Variant::string(argValue(a, 0).toString()); }

const BuiltinDef conversionFunctions[] = {
    {"CBool", 1, 1, fnCBool}, {"CByte", 1, 1, fnCByte}, {"CCur", 1, 1, fnCCur},
    {"CDate", 1, 1, fnCDate}, {"CDbl", 1, 1, fnCDbl},   {"CInt", 1, 1, fnCInt},
    {"CLng", 1, 1, fnCLng},   {"CSng", 1, 1, fnCSng},   {"CStr", 1, 1, fnCStr},
};

} // namespace

void registerConversionBuiltins(BuiltinRegistry& r) { r.addFunctions(conversionFunctions); }

} // namespace ravelin::vbs
