#include "scripting/RavelinObject.h"

#include "vbscript/ScriptControl.h"

namespace ravelin {

using vbs::Variant;

void addRavelinOperations(OperationTable& table, RavelinOperations& ops)
{
    using Args = OperationTable::Args;
    table.addMethod("ConsoleOut", 1, 1, [&ops](Args a) {
        ops.ConsoleOut(a[0].toString());
        return Variant();
    });
    table.addMethod("ConsoleExec", 1, 1, [&ops](Args a) { return Variant::string(ops.ConsoleExec(a[0].toString())); });
    table.addMethod("DebugPrint", 1, 1, [&ops](Args a) {
        ops.DebugPrint(a[0].toString());
        return Variant();
    });
    table.addMethod("InitScripts", 0, 0, [&ops](Args) {
        ops.InitScripts();
        return Variant();
    });
    table.addMethod("sGetComputerName", 0, 0, [&ops](Args) { return Variant::string(ops.sGetComputerName()); });
}

// Ids are table positions from 1: the object has no default member.
int RavelinObject::memberId(std::string_view name) const
{
    const int index = m_table.find(name);
    return index < 0 ? vbs::NoMemberId : index + 1;
}

Variant RavelinObject::invoke(int id, vbs::InvokeKind kind, std::span<Variant> args)
{
    if (id < 1 || id > m_table.size())
        vbs::raise(vbs::Err::NoSuchMember);
    const OperationTable::Row& row = m_table.row(id - 1);
    if (kind & vbs::InvokeSet)
        vbs::raise(vbs::Err::NoSuchMember);
    if (kind & vbs::InvokeLet) {
        if (!row.assign)
            vbs::raise(vbs::Err::NoSuchMember);
        vbs::expectArgs(args, 1, 1);
        row.assign(args.back());
        return Variant();
    }
    vbs::expectArgs(args, static_cast<std::size_t>(row.minArgs), static_cast<std::size_t>(row.maxArgs));
    return row.call(args);
}

} // namespace ravelin
