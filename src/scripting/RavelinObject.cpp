#include "scripting/RavelinObject.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace ravelin {

namespace {

using vbs::Variant;
using Args = std::span<Variant>;

struct Operation {
    const char* name;
    int minArgs;
    int maxArgs;
    Variant (*call)(RavelinOperations&, Args);
};

// Every public operation of the main window that scripts reach, with its
// arguments and the work it does.
const std::array kOperations{
    // Operation           args  work
    Operation{"ConsoleOut", 1, 1,
              [](RavelinOperations& ops, Args a) { ops.ConsoleOut(a[0].toString()); return Variant(); }},
    Operation{"DebugPrint", 1, 1,
              [](RavelinOperations& ops, Args a) { ops.DebugPrint(a[0].toString()); return Variant(); }},
    Operation{"InitScripts", 0, 0, [](RavelinOperations& ops, Args) { ops.InitScripts(); return Variant(); }},
    Operation{"sGetComputerName", 0, 0,
              [](RavelinOperations& ops, Args) { return Variant::string(ops.sGetComputerName()); }},
};

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

// Ids are table positions from 1 (the object has no default member). Names
// are looked up once per call site, so a scan of the short table is enough.
int RavelinObject::memberId(std::string_view name) const
{
    for (std::size_t i = 0; i < kOperations.size(); ++i) {
        if (sameName(kOperations[i].name, name))
            return static_cast<int>(i) + 1;
    }
    return vbs::NoMemberId;
}

const void* RavelinObject::memberKey() const { return &kOperations; }

std::vector<std::string> RavelinObject::memberNames() const
{
    std::vector<std::string> names;
    for (const Operation& op : kOperations)
        names.emplace_back(op.name);
    return names;
}

Variant RavelinObject::invoke(int id, vbs::InvokeKind kind, std::span<Variant> args)
{
    if (id < 1 || id > static_cast<int>(kOperations.size()) || (kind & (vbs::InvokeLet | vbs::InvokeSet)))
        vbs::raise(vbs::Err::NoSuchMember);
    const Operation& op = kOperations[static_cast<std::size_t>(id - 1)];
    vbs::expectArgs(args, static_cast<std::size_t>(op.minArgs), static_cast<std::size_t>(op.maxArgs));
    return op.call(m_operations, args);
}

} // namespace ravelin
