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
        // Err.Raise number [, source [, description [, helpfile [, helpcontext]]]]:
        // what is left out keeps the Err object's current value, so a bare
        // `Err.Raise n` after a full one repeats its source and text.
        if (!hasArg(args, 0))
            raise(Err::WrongArgCount);
        expectArgs(args, 1, 5);
        int32_t n = argValue(args, 0).toLong();
        if (n == 0 || n > 65535)
            raise(Err::InvalidCall);
        n = scriptErrorNumber(n);
        ScriptError r;
        r.number = n;
        r.source = hasArg(args, 1) ? args[1].toString()
            : !e.source.empty()    ? e.source
                                   : std::string(RuntimeErrorSource);
        r.description = hasArg(args, 2) ? args[2].toString()
            : !e.description.empty()    ? e.description
                                        : std::string(errorMessage(n));
        r.helpFile = hasArg(args, 3) ? args[3].toString() : e.helpFile;
        r.helpContext = hasArg(args, 4) ? args[4].toLong() : e.helpContext;
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
