// Operators: VBScript's arithmetic, concatenation, comparison and logical
// operators on Variants, with the language's result types (Integer widening
// to Long and Double on overflow, Byte staying Byte, Date and Currency kept),
// Null propagation and the Empty-as-0-or-"" rule. The interpreter inlines a
// fast path for Integer/Long operands and calls these for everything else.
#pragma once

#include "vbscript/Ast.h"
#include "vbscript/Variant.h"

namespace ravelin::vbs {

// `leftLiteral`/`rightLiteral`: the operand is written into the text (a
// literal or constant); a comparison of a string with a number converts the
// variable to the literal's type.
Variant binaryOp(Op op, const Variant& a, const Variant& b, bool leftLiteral = false, bool rightLiteral = false);
Variant unaryOp(Op op, const Variant& a);
// Boolean truth of a condition: Null is false; errors as CBool.
bool truth(const Variant& v);

} // namespace ravelin::vbs
