// The catalogue lookup and the raise helpers.
#include "vbscript/Errors.h"

#include <cstdint>

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

int scriptErrorNumber(int number)
{
    const auto code = static_cast<uint32_t>(number);
    if ((code & 0xFFFF0000u) == 0x800A0000u)
        return static_cast<int>(code & 0xFFFFu);
    struct Mapping {
        uint32_t code;
        int number;
    };
    static constexpr Mapping table[] = {
        {0x80004001u, 445}, // E_NOTIMPL
        {0x80004002u, 430}, // E_NOINTERFACE
        {0x80004003u, 424}, // E_POINTER
        {0x80040154u, 429}, // REGDB_E_CLASSNOTREG
        {0x800401E3u, 429}, // MK_E_UNAVAILABLE
        {0x800401F3u, 429}, // CO_E_CLASSSTRING
        {0x80020001u, 438}, // DISP_E_UNKNOWNINTERFACE
        {0x80020003u, 438}, // DISP_E_MEMBERNOTFOUND
        {0x80020004u, 448}, // DISP_E_PARAMNOTFOUND
        {0x80020005u, 13}, // DISP_E_TYPEMISMATCH
        {0x80020006u, 438}, // DISP_E_UNKNOWNNAME
        {0x80020007u, 446}, // DISP_E_NONAMEDARGS
        {0x80020008u, 458}, // DISP_E_BADVARTYPE
        {0x8002000Au, 6}, // DISP_E_OVERFLOW
        {0x8002000Bu, 9}, // DISP_E_BADINDEX
        {0x8002000Cu, 447}, // DISP_E_UNKNOWNLCID
        {0x8002000Du, 10}, // DISP_E_ARRAYISLOCKED
        {0x8002000Eu, 450}, // DISP_E_BADPARAMCOUNT
        {0x8002000Fu, 449}, // DISP_E_PARAMNOTOPTIONAL
        {0x80020011u, 451}, // DISP_E_NOTACOLLECTION
        {0x80020012u, 11}, // DISP_E_DIVBYZERO
        {0x80028CA0u, 13}, // TYPE_E_TYPEMISMATCH
        {0x80028CA1u, 9}, // TYPE_E_OUTOFBOUNDS
        {0x80030002u, 53}, // STG_E_FILENOTFOUND
        {0x80030003u, 76}, // STG_E_PATHNOTFOUND
        {0x80030004u, 67}, // STG_E_TOOMANYOPENFILES
        {0x80030005u, 70}, // STG_E_ACCESSDENIED
        {0x80030008u, 7}, // STG_E_INSUFFICIENTMEMORY
        {0x80030050u, 58}, // STG_E_FILEALREADYEXISTS
        {0x80030070u, 61}, // STG_E_MEDIUMFULL
        {0x80070002u, 53}, // ERROR_FILE_NOT_FOUND
        {0x80070003u, 76}, // ERROR_PATH_NOT_FOUND
        {0x80070004u, 67}, // ERROR_TOO_MANY_OPEN_FILES
        {0x80070005u, 70}, // E_ACCESSDENIED
        {0x80070006u, 52}, // E_HANDLE
        {0x80070008u, 7}, // ERROR_NOT_ENOUGH_MEMORY
        {0x8007000Eu, 7}, // E_OUTOFMEMORY
        {0x8007000Fu, 68}, // ERROR_INVALID_DRIVE
        {0x80070011u, 74}, // ERROR_NOT_SAME_DEVICE
        {0x80070013u, 70}, // ERROR_WRITE_PROTECT
        {0x80070015u, 71}, // ERROR_NOT_READY
        {0x80070020u, 70}, // ERROR_SHARING_VIOLATION
        {0x80070026u, 62}, // ERROR_HANDLE_EOF
        {0x80070027u, 61}, // ERROR_HANDLE_DISK_FULL
        {0x80070035u, 76}, // ERROR_BAD_NETPATH
        {0x80070050u, 58}, // ERROR_FILE_EXISTS
        {0x80070057u, 5}, // E_INVALIDARG
        {0x80070070u, 61}, // ERROR_DISK_FULL
        {0x8007007Bu, 52}, // ERROR_INVALID_NAME
        {0x800700B7u, 58}, // ERROR_ALREADY_EXISTS
    };
    for (const Mapping& m : table)
        if (m.code == code)
            return m.number;
    return number;
}

void raiseCustom(int number, std::string description, std::string source)
{
    ScriptError e;
    int mapped = scriptErrorNumber(number);
    if (mapped != number) {
        number = mapped;
        if (description.empty())
            description = std::string(errorMessage(number));
        if (source.empty())
            source = std::string(RuntimeErrorSource);
    }
    e.number = number;
    e.description = std::move(description);
    e.source = std::move(source);
    throw ScriptException(std::move(e));
}

} // namespace ravelin::vbs
