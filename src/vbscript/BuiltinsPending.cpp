// Placeholders for the date, formatting and RegExp families. Their real
// registration functions arrive with DateTime/NumberFormat/Regex wiring
// (BuiltinsDate.cpp, BuiltinsFormat.cpp, RegExpObject.cpp); delete the matching
// definition here when each one lands.
#include "vbscript/Builtins.h"

namespace ravelin::vbs {

void registerDateBuiltins(BuiltinRegistry&) {}
void registerFormatBuiltins(BuiltinRegistry&) {}
void registerRegExp(BuiltinRegistry&) {}

} // namespace ravelin::vbs
