// The catalogue lookup and the raise helpers.
#include "vbscript/Errors.h"

namespace ravelin::vbs {

std::string_view errorMessage(int number)
{
    switch (number) {
#define RAVELIN_VBS_ERROR_CASE(name, num, text)                                                                        \
    case num: return text;
        RAVELIN_VBS_ERRORS(RAVELIN_VBS_ERROR_CASE)
#undef RAVELIN_VBS_ERROR_CASE
    default: return "Unknown runtime error";
    }
}

bool isCompileError(int number) { return number >= 1001 && number <= 1099; }

ScriptError catalogError(Err code)
{
    int n = static_cast<int>(code);
    ScriptError e;
    e.number = n;
    e.description = std::string(errorMessage(n));
    e.source = std::string(isCompileError(n) ? CompileErrorSource : RuntimeErrorSource);
    return e;
}

void raise(Err code) { throw ScriptException(catalogError(code), code == Err::TimedOut); }

void raiseAt(Err code, int line, int column)
{
    int n = static_cast<int>(code);
    ScriptError e;
    e.number = n;
    e.description = std::string(errorMessage(n));
    e.source = std::string(isCompileError(n) ? CompileErrorSource : RuntimeErrorSource);
    e.line = line;
    e.column = column;
    throw ScriptException(std::move(e));
}

void raiseCustom(int number, std::string description, std::string source)
{
    ScriptError e;
    e.number = number;
    e.description = std::move(description);
    e.source = std::move(source);
    throw ScriptException(std::move(e));
}

} // namespace ravelin::vbs
