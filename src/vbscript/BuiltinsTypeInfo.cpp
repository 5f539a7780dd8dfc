// Inspection built-ins (Is*, TypeName, VarType, UBound, LBound, Array), the
// engine's identity (ScriptEngine and its versions), the scope-sensitive
// Eval/Execute/ExecuteGlobal/GetRef, and MsgBox/InputBox through the host,
// with the VarType and message-box constants.
#include "vbscript/Builtins.h"

namespace ravelin::vbs {

namespace {

using Args = std::span<Variant>;

Variant fnIsArray(Context&, Args a) { return Variant::boolean(a[0].isArray()); }
Variant fnIsEmpty(Context&, Args a) { return Variant::boolean(a[0].isEmpty()); }
Variant fnIsNull(Context&, Args a) { return Variant::boolean(a[0].isNull()); }
Variant fnIsObject(Context&, Args a) { return Variant::boolean(a[0].isObject()); }

Variant fnIsNumeric(Context& ctx, Args a)
{
    const Variant& v = a[0];
    switch (v.type()) {
    case VT::Object: {
        // An object is numeric when its default property is.
        if (!v.rawObject())
            return Variant::boolean(false);
        Variant value;
        try {
            value = v.dereferenced();
        } catch (const ScriptException&) {
            return Variant::boolean(false);
        }
        return fnIsNumeric(ctx, std::span<Variant>(&value, 1));
    }
    case VT::Empty:
    case VT::Boolean:
    case VT::Byte:
    case VT::Integer:
    case VT::Long:
    case VT::Single:
    case VT::Double:
    case VT::Currency: return Variant::boolean(true);
    case VT::String: {
        double d;
        return Variant::boolean(parseNumber(v.rawString(), d));
    }
    default: return Variant::boolean(false);
    }
}

Variant fnIsDate(Context&, Args a)
{
    const Variant& v = a[0];
    if (v.type() == VT::Date)
        return Variant::boolean(true);
    if (v.isString()) {
        double d;
        return Variant::boolean(parseDate(v.rawString(), d));
    }
    return Variant::boolean(false);
}

Variant fnTypeName(Context&, Args a) { return Variant::string(a[0].typeName()); }
Variant fnVarType(Context&, Args a) { return Variant::integer(static_cast<int16_t>(a[0].varType())); }

Variant bound(Args a, bool upper)
{
    const Variant& v = a[0];
    if (!v.isArray())
        raise(Err::TypeMismatch);
    const ArrayRep& rep = *v.rawArray();
    int32_t dim = argLongOr(a, 1, 1);
    if (dim < 1 || static_cast<size_t>(dim) > rep.dims.size())
        raise(Err::SubscriptOutOfRange);
    return Variant::longInt(upper ? rep.dims[static_cast<size_t>(dim - 1)] - 1 : 0);
}

Variant fnUBound(Context&, Args a) { return bound(a, true); }
Variant fnLBound(Context&, Args a) { return bound(a, false); }

Variant fnArray(Context&, Args a)
{
    ArrayRep* rep = newArray({static_cast<int32_t>(a.size()) - 1});
    for (size_t i = 0; i < a.size(); ++i)
        rep->data[i] = a[i];
    return Variant::array(rep);
}

Variant fnScriptEngine(Context&, Args) { return Variant::string("VBScript"); }
Variant fnMajor(Context&, Args) { return Variant::longInt(5); }
Variant fnMinor(Context&, Args) { return Variant::longInt(8); }
Variant fnBuild(Context&, Args) { return Variant::longInt(16384); }

Variant fnEval(Context& ctx, Args a) { return ctx.evalText(argString(a, 0)); }
Variant fnExecute(Context& ctx, Args a)
{
    ctx.executeText(argString(a, 0), false);
    return {};
}
Variant fnExecuteGlobal(Context& ctx, Args a)
{
    ctx.executeText(argString(a, 0), true);
    return {};
}
Variant fnGetRef(Context& ctx, Args a) { return ctx.getRef(argString(a, 0)); }

Variant fnMsgBox(Context& ctx, Args a)
{
    std::string prompt = argValue(a, 0).toText();
    int buttons = argLongOr(a, 1, 0);
    std::string title = hasArg(a, 2) ? argString(a, 2) : std::string(); // the host titles an untitled box
    return Variant::integer(static_cast<int16_t>(ctx.msgBox(prompt, buttons, title)));
}

Variant fnInputBox(Context& ctx, Args a)
{
    std::string prompt = argValue(a, 0).toText();
    std::string title = hasArg(a, 1) ? argString(a, 1) : std::string(); // the host titles an untitled box
    std::string def = hasArg(a, 2) ? argString(a, 2) : std::string();
    return ctx.inputBox(prompt, title, def);
}

const BuiltinDef inspectionFunctions[] = {
    {"IsArray", 1, 1, fnIsArray},
    {"IsDate", 1, 1, fnIsDate},
    {"IsEmpty", 1, 1, fnIsEmpty},
    {"IsNull", 1, 1, fnIsNull},
    {"IsNumeric", 1, 1, fnIsNumeric},
    {"IsObject", 1, 1, fnIsObject},
    {"TypeName", 1, 1, fnTypeName},
    {"VarType", 1, 1, fnVarType},
    {"UBound", 1, 2, fnUBound},
    {"LBound", 1, 2, fnLBound},
    {"Array", 0, 255, fnArray},
    {"ScriptEngine", 0, 0, fnScriptEngine},
    {"ScriptEngineMajorVersion", 0, 0, fnMajor},
    {"ScriptEngineMinorVersion", 0, 0, fnMinor},
    {"ScriptEngineBuildVersion", 0, 0, fnBuild},
    {"Eval", 1, 1, fnEval},
    {"Execute", 1, 1, fnExecute},
    {"ExecuteGlobal", 1, 1, fnExecuteGlobal},
    {"GetRef", 1, 1, fnGetRef},
    {"MsgBox", 1, 5, fnMsgBox},
    {"InputBox", 1, 7, fnInputBox},
};

struct NamedValue {
    const char* name;
    int32_t value;
};

const NamedValue inspectionConstants[] = {
    {"vbEmpty", 0},
    {"vbNull", 1},
    {"vbInteger", 2},
    {"vbLong", 3},
    {"vbSingle", 4},
    {"vbDouble", 5},
    {"vbCurrency", 6},
    {"vbDate", 7},
    {"vbString", 8},
    {"vbObject", 9},
    {"vbError", 10},
    {"vbBoolean", 11},
    {"vbVariant", 12},
    {"vbDataObject", 13},
    {"vbDecimal", 14},
    {"vbByte", 17},
    {"vbArray", 8192},
    {"vbOKOnly", 0},
    {"vbOKCancel", 1},
    {"vbAbortRetryIgnore", 2},
    {"vbYesNoCancel", 3},
    {"vbYesNo", 4},
    {"vbRetryCancel", 5},
    {"vbCritical", 16},
    {"vbQuestion", 32},
    {"vbExclamation", 48},
    {"vbInformation", 64},
    {"vbDefaultButton1", 0},
    {"vbDefaultButton2", 256},
    {"vbDefaultButton3", 512},
    {"vbDefaultButton4", 768},
    {"vbApplicationModal", 0},
    {"vbSystemModal", 4096},
    {"vbOK", 1},
    {"vbCancel", 2},
    {"vbAbort", 3},
    {"vbRetry", 4},
    {"vbIgnore", 5},
    {"vbYes", 6},
    {"vbNo", 7},
    {"vbUseDefault", -2},
    {"vbTrue", -1},
    {"vbFalse", 0},
};

// MsgBox flags past the Integer range, the error base and the colours.
const NamedValue longConstants[] = {
    {"vbObjectError", -2147221504},
    {"vbMsgBoxHelpButton", 16384},
    {"vbMsgBoxSetForeground", 65536},
    {"vbMsgBoxRight", 524288},
    {"vbMsgBoxRtlReading", 1048576},
    {"vbBlack", 0x000000},
    {"vbRed", 0x0000FF},
    {"vbGreen", 0x00FF00},
    {"vbYellow", 0x00FFFF},
    {"vbBlue", 0xFF0000},
    {"vbMagenta", 0xFF00FF},
    {"vbCyan", 0xFFFF00},
    {"vbWhite", 0xFFFFFF},
};

} // namespace

void registerTypeInfoBuiltins(BuiltinRegistry& r)
{
    r.addFunctions(inspectionFunctions);
    // VBScript's named numeric constants are all Longs, small values included.
    for (const NamedValue& c : inspectionConstants)
        r.addConstant(c.name, Variant::longInt(c.value));
    for (const NamedValue& c : longConstants)
        r.addConstant(c.name, Variant::longInt(c.value));
}

} // namespace ravelin::vbs
