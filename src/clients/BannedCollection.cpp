#include "clients/BannedCollection.h"

#include "vbscript/ScriptControl.h"

namespace ravelin {

namespace {

enum Member { ItemId = vbs::DefaultMemberId, AddId = 1, CountId = 2 };

const vbs::MemberTable& members()
{
    static const vbs::MemberTable table({"Item", "Add", "Count"}, ItemId);
    return table;
}

} // namespace

int BannedCollection::memberId(std::string_view name) const { return members().find(name); }

const void* BannedCollection::memberKey() const { return &members(); }

vbs::Variant BannedCollection::invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args)
{
    if (kind & (vbs::InvokeLet | vbs::InvokeSet))
        vbs::raise(vbs::Err::NoSuchMember);
    switch (id) {
    case ItemId: {
        vbs::expectArgs(args, 1, 1);
        const int32_t index = args[0].toLong();
        if (index < 1 || index > Count())
            vbs::raise(vbs::Err::SubscriptOutOfRange);
        return vbs::Variant::string(entry(index - 1));
    }
    case AddId:
        // A collection's Add takes a key and a place too; the ban list keeps
        // its order and has no keys, so only the item counts.
        vbs::expectArgs(args, 1, 4);
        Add(args[0].toText());
        return vbs::Variant();
    case CountId: vbs::expectArgs(args, 0, 0); return vbs::Variant::longInt(Count());
    default: vbs::raise(vbs::Err::NoSuchMember);
    }
}

std::unique_ptr<vbs::Enumerator> BannedCollection::enumerate()
{
    std::vector<vbs::Variant> items;
    for (const std::string& e : m_entries)
        items.push_back(vbs::Variant::string(e));
    return std::make_unique<vbs::VectorEnumerator>(std::move(items));
}

std::vector<std::string> BannedCollection::memberNames() const { return {"Item", "Add", "Count"}; }

} // namespace ravelin
