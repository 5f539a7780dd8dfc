// cBanned: the ban list as scripts see it, an ordered list of name fields
// ("Bob", double quotes included). Entries are appended and duplicates kept;
// it mirrors the lasting bans, so an entry goes when its ban is lifted.
// Scripts hold it as a collection: Add, Count, Item (the default member,
// counted from 1) and For Each.
#pragma once

#include "vbscript/ScriptControl.h"

#include <functional>
#include <string>
#include <vector>

namespace ravelin {

class BannedCollection final : public vbs::Object {
public:
    // With an owner set, Add hands the entry to it (which mirrors it back
    // through assign); without one it is appended here.
    void Add(std::string entry)
    {
        if (m_onAdd)
            m_onAdd(entry);
        else
            m_entries.push_back(std::move(entry));
    }
    void setOnAdd(std::function<void(const std::string&)> onAdd) { m_onAdd = std::move(onAdd); }
    void assign(std::vector<std::string> entries) { m_entries = std::move(entries); }
    int Count() const { return static_cast<int>(m_entries.size()); }
    // Counted from 0 here; scripts count from 1.
    const std::string& entry(int index) const { return m_entries[static_cast<std::size_t>(index)]; }
    const std::vector<std::string>& entries() const { return m_entries; }

    std::string typeName() const override { return "Collection"; }
    int memberId(std::string_view name) const override;
    const void* memberKey() const override;
    vbs::Variant invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override;
    std::unique_ptr<vbs::Enumerator> enumerate() override;
    std::vector<std::string> memberNames() const override;

private:
    std::vector<std::string> m_entries;
    std::function<void(const std::string&)> m_onAdd;
};

} // namespace ravelin
