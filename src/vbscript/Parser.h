// Parser: tokens in, a syntax tree (Unit) out.
//
// Recursive descent, one function per grammar rule, the rule written above it.
// It resolves nothing: names stay symbols so that procedures and classes may be
// used before the text that declares them (the resolver binds them after the
// whole unit is read). Compile errors carry the offending token's position.
#pragma once

#include "vbscript/Ast.h"

#include <memory>
#include <string_view>

namespace ravelin::vbs {

// Parses a whole text. `firstLine` numbers the first line (code added in
// pieces keeps its own numbering from 1).
std::unique_ptr<Unit> parseUnit(std::string_view source, Interner& interner, int firstLine = 1);

// Parses a single expression (Eval); the unit's body holds one CallStmt whose
// `call` is the expression.
std::unique_ptr<Unit> parseExpressionUnit(std::string_view source, Interner& interner);

} // namespace ravelin::vbs
