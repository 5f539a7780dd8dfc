// The Err object over the interpreter's error state.
#include "vbscript/ErrObject.h"

#include "vbscript/Builtins.h"
#include "vbscript/Errors.h"
#include "vbscript/Interpreter.h"

namespace ravelin::vbs {

namespace {
enum { Number = 1, Description, Source, HelpFile, HelpContext, Raise, Clear };
}

const MemberTable& ErrObject::members()
{
    static const MemberTable table({"Number", "Description", "Source", "HelpFile", "HelpContext", "Raise", "Clear"});
    return table;
}

int ErrObject::memberId(std::string_view name) const { return members().find(name); }

Variant ErrObject::invoke(int id, InvokeKind kind, std::span<Variant> args)
{
    ScriptError& e = m_in->errState();
    if (id == DefaultMemberId)
        id = Number;
    bool put = kind & (InvokeLet | InvokeSet);
    switch (id) {
    case Number:
        if (put) {
            expectArgs(args, 1, 1);
            e.number = args[0].toLong();
            if (e.description.empty())
                e.description = std::string(errorMessage(e.number));
            return {};
        }
        expectArgs(args, 0, 0);
        return Variant::longInt(e.number);
    case Description:
        if (put) {
            e.description = args.back().toString();
            return {};
        }
        return Variant::string(e.description);
    case Source:
        if (put) {
            e.source = args.back().toString();
            return {};
        }
        return Variant::string(e.source);
    case HelpFile:
        if (put) {
            e.helpFile = args.back().toString();
            return {};
        }
        return Variant::string(e.helpFile);
    case HelpContext:
        if (put) {
            e.helpContext = args.back().toLong();
            return {};
        }
        return Variant::longInt(e.helpContext);
    case Raise: {
        expectArgs(args, 1, 5);
        int32_t n = args[0].toLong();
        if (n == 0 || n > 65535)
            raise(Err::InvalidCall);
        ScriptError r;
        r.number = n;
        r.source = hasArg(args, 1) ? args[1].toString() : std::string(RuntimeErrorSource);
        r.description = hasArg(args, 2) ? args[2].toString() : std::string(errorMessage(n));
        if (hasArg(args, 3))
            r.helpFile = args[3].toString();
        if (hasArg(args, 4))
            r.helpContext = args[4].toLong();
        throw ScriptException(std::move(r));
    }
    case Clear:
        expectArgs(args, 0, 0);
        m_in->clearErr();
        return {};
    default: raise(Err::NoSuchMember);
    }
}

} // namespace ravelin::vbs
