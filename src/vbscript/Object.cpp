// Defaults of the object interface and the member-table helper.
#include "vbscript/Object.h"

#include "vbscript/Errors.h"

namespace ravelin::vbs {

int Object::memberId(std::string_view) const { return NoMemberId; }

Variant Object::invoke(int, InvokeKind, std::span<Variant>) { raise(Err::NoSuchMember); }

std::unique_ptr<Enumerator> Object::enumerate() { return nullptr; }

MemberTable::MemberTable(std::initializer_list<std::string_view> names, int firstId)
{
    int id = firstId;
    for (std::string_view n : names) {
        m_ids.emplace(lowerCase(n), id++);
        m_names.emplace_back(n);
    }
}

int MemberTable::find(std::string_view name) const
{
    auto it = m_ids.find(lowerCase(name));
    return it == m_ids.end() ? NoMemberId : it->second;
}

void expectArgs(std::span<Variant> args, size_t minimum, size_t maximum)
{
    if (args.size() < minimum || args.size() > maximum)
        raise(Err::WrongArgCount);
}

} // namespace ravelin::vbs
