#include "q3sim/Cvars.h"

#include "q3sim/CommandText.h"

#include <cstdlib>

namespace q3sim {

Cvar* CvarTable::find(std::string_view name)
{
    for (auto& cvar : m_cvars)
        if (equalsNoCase(cvar->name, name))
            return cvar.get();
    return nullptr;
}

const Cvar* CvarTable::find(std::string_view name) const { return const_cast<CvarTable*>(this)->find(name); }

Cvar& CvarTable::get(std::string_view name, std::string_view defaultValue, unsigned flags)
{
    if (Cvar* existing = find(name)) {
        existing->defaultValue = std::string(defaultValue);
        existing->flags = (existing->flags & ~CvarUserCreated) | flags;
        return *existing;
    }
    auto cvar = std::make_unique<Cvar>();
    cvar->name = std::string(name);
    cvar->value = std::string(defaultValue);
    cvar->defaultValue = std::string(defaultValue);
    cvar->flags = flags;
    m_cvars.push_back(std::move(cvar));
    return *m_cvars.back();
}

namespace {

// Names that would corrupt the info strings or the config file are refused.
bool validName(std::string_view name)
{
    if (name.empty())
        return false;
    for (char c : name)
        if (c == '\\' || c == '"' || c == ';' || static_cast<unsigned char>(c) <= ' ')
            return false;
    return true;
}

} // namespace

SetResult CvarTable::set(std::string_view name, std::string_view value, unsigned extraFlags)
{
    if (!validName(name))
        return SetResult::BadName;
    Cvar* cvar = find(name);
    if (!cvar) {
        Cvar& created = get(name, value, CvarUserCreated | extraFlags);
        (void)created;
        return SetResult::Created;
    }
    if (cvar->flags & CvarRom)
        return SetResult::ReadOnly;
    if (cvar->flags & CvarInit)
        return SetResult::WriteProtected;
    cvar->flags |= extraFlags;
    if (cvar->flags & CvarLatch) {
        if (value == cvar->value) {
            cvar->hasLatched = false;
            cvar->latched.clear();
            return SetResult::Changed;
        }
        cvar->latched = std::string(value);
        cvar->hasLatched = true;
        return SetResult::Latched;
    }
    if ((cvar->flags & CvarCheat) && integer("sv_cheats") == 0)
        return SetResult::CheatProtected;
    cvar->value = std::string(value);
    return SetResult::Changed;
}

void CvarTable::force(std::string_view name, std::string_view value)
{
    if (!validName(name))
        return;
    Cvar* cvar = find(name);
    if (!cvar) {
        get(name, value, CvarUserCreated);
        return;
    }
    cvar->value = std::string(value);
    cvar->hasLatched = false;
    cvar->latched.clear();
}

std::string CvarTable::value(std::string_view name) const
{
    const Cvar* cvar = find(name);
    return cvar ? cvar->value : std::string();
}

int CvarTable::integer(std::string_view name) const { return std::atoi(value(name).c_str()); }

bool CvarTable::applyLatched()
{
    bool changed = false;
    for (auto& cvar : m_cvars) {
        if (!cvar->hasLatched)
            continue;
        // The network port only changes with a network restart, which this
        // server does not offer: the socket stays where it is, and so does
        // the value the console reports for it.
        if (equalsNoCase(cvar->name, "net_port"))
            continue;
        changed = changed || cvar->value != cvar->latched;
        cvar->value = cvar->latched;
        cvar->latched.clear();
        cvar->hasLatched = false;
    }
    return changed;
}

bool validInfoText(std::string_view text)
{
    for (char c : text)
        if (c == '\\' || c == '"' || c == ';' || c == '\n' || c == '\r' || c == '\0')
            return false;
    return true;
}

std::string CvarTable::infoString(unsigned flag) const
{
    std::string info;
    for (auto it = m_cvars.rbegin(); it != m_cvars.rend(); ++it) {
        const Cvar& cvar = **it;
        if (!(cvar.flags & flag) || cvar.value.empty())
            continue;
        if (!validInfoText(cvar.name) || !validInfoText(cvar.value))
            continue;
        info += '\\' + cvar.name + '\\' + cvar.value;
    }
    return info;
}

std::string cvarFlagColumn(unsigned flags)
{
    std::string column;
    column += (flags & CvarServerInfo) ? 'S' : ' ';
    column += (flags & CvarUserInfo) ? 'U' : ' ';
    column += (flags & CvarRom) ? 'R' : ' ';
    column += (flags & CvarInit) ? 'I' : ' ';
    column += (flags & CvarArchive) ? 'A' : ' ';
    column += (flags & CvarLatch) ? 'L' : ' ';
    column += (flags & CvarCheat) ? 'C' : ' ';
    return column;
}

} // namespace q3sim
