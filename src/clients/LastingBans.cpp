#include "clients/LastingBans.h"

#include "clients/ClientAdmin.h"
#include "clients/ConnectLines.h"
#include "clients/PlayerText.h"

#include <charconv>

namespace ravelin {

namespace {

std::string trimmedLine(const std::string& line)
{
    std::string_view text = line;
    while (!text.empty() && (text.back() == '\r' || text.back() == ' '))
        text.remove_suffix(1);
    return std::string(text);
}

bool slotNumber(std::string_view field, int& slot)
{
    field = trimBlanks(field);
    const char* end = field.data() + field.size();
    auto [at, ec] = std::from_chars(field.data(), end, slot);
    return ec == std::errc() && at == end && !field.empty() && slot >= 0;
}

// Who a ban names, for the debug box.
std::string describe(const Ban& ban)
{
    std::string text = SafeArgument(ban.name.empty() ? std::string("(no name)") : ban.name);
    if (!ban.address.empty())
        text += " address " + SafeArgument(ban.address);
    if (!ban.key.empty())
        text += " key " + SafeArgument(ban.key);
    return text;
}

// "Ban #1: 10.1.2.3/32" gives 10.1.2.3; a wider range keeps its mask.
bool engineBanAddress(const std::string& line, std::string& address)
{
    const std::size_t at = line.find("Ban #");
    if (at == std::string::npos)
        return false;
    const std::size_t colon = line.find(": ", at);
    if (colon == std::string::npos)
        return false;
    address = trimmedLine(line.substr(colon + 2));
    for (const char* full : {"/32", "/128"})
        if (address.ends_with(full))
            address.resize(address.size() - std::string_view(full).size());
    return !address.empty();
}

} // namespace

LastingBans::LastingBans(ConsoleBridge& bridge, BannedCollection& banned, WallClock& clock, const bool& unloading)
    : m_bridge(bridge), m_banned(banned), m_clock(clock), m_unloading(unloading)
{
    m_banned.setOnAdd([this](const std::string& entry) { addFromScript(entry); });
}

void LastingBans::debug(const std::string& text)
{
    if (m_debug)
        m_debug(text);
}

void LastingBans::send(const std::string& command)
{
    if (m_unloading)
        return;
    m_sent = true;
    m_bridge.SendConsoleCommand(command);
}

std::string LastingBans::kickLine(int slot, const std::string& nameField, const std::string& reason)
{
    std::string said = ClientAdmin::banMessage(nameField);
    if (!reason.empty())
        said += " ^7(" + SafeArgument(reason) + ")";
    return "Say \"" + said + "\";clientkick " + std::to_string(slot);
}

void LastingBans::open(const std::filesystem::path& dataFolder, const std::string& host, int port)
{
    const std::filesystem::path file = BanList::fileFor(dataFolder, host, port);
    if (file == m_openFile)
        return;
    // Bans made before any server was known go into this server's file.
    std::vector<Ban> earlier;
    if (m_openFile.empty())
        earlier = m_list.bans();
    m_openFile = file;
    m_waitingForDump.clear();
    const std::vector<std::string> problems = m_list.load(file);
    for (const std::string& problem : problems)
        debug("*** Ban file " + file.string() + ": " + problem);
    if (!problems.empty())
        debug("*** The ban file is left as it is until a ban is changed here; " + std::to_string(m_list.size())
              + " bans were read from it.");
    for (Ban& ban : earlier)
        m_list.add(std::move(ban));
    if (!earlier.empty()) {
        changed(true);
    } else {
        // Nothing changed: the file is not written again.
        mirror();
        if (m_onChange)
            m_onChange();
    }
    askEngineBans();
}

void LastingBans::changed(bool byOperator)
{
    std::string error;
    if (!m_openFile.empty() && !m_list.save(byOperator, &error))
        debug("*** The bans could not be written to " + m_openFile.string() + ": " + error);
    mirror();
    if (m_onChange)
        m_onChange();
}

void LastingBans::mirror()
{
    std::vector<std::string> entries;
    m_entryIds.clear();
    for (std::size_t i = 0; i < m_list.size(); ++i) {
        if (m_list.bans()[i].name.empty())
            continue;
        entries.push_back(m_list.bans()[i].name);
        m_entryIds.push_back(m_list.ids()[i]);
    }
    m_banned.assign(std::move(entries));
}

std::string LastingBans::reasonOfEntry(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_entryIds.size()))
        return {};
    const Ban* ban = const_cast<BanList&>(m_list).find(m_entryIds[static_cast<std::size_t>(index)]);
    return ban ? ban->reason : std::string();
}

void LastingBans::addFromScript(const std::string& entry)
{
    Ban ban;
    ban.name = entry;
    ban.since = now();
    m_list.add(std::move(ban));
    changed(true);
}

std::uint64_t LastingBans::banPlayer(const std::string& slotField, const std::string& nameField,
                                     const std::string& reason, std::int64_t seconds)
{
    Ban ban;
    ban.name = nameField;
    ban.reason = reason;
    ban.since = now();
    ban.ends = seconds > 0 ? ban.since + seconds : 0;
    int slot = -1;
    const bool slotKnown = slotNumber(slotField, slot);
    if (slotKnown) {
        if (auto it = m_slots.find(slot); it != m_slots.end()) {
            ban.address = it->second.address;
            ban.key = it->second.key;
        }
    }
    const std::string address = ban.address;
    const bool complete = !ban.address.empty() && !ban.key.empty();
    const std::uint64_t id = m_list.add(std::move(ban));
    changed(true);
    engineAdd(address);
    if (slotKnown && !complete) {
        // The address and key come with the slot's dumpuser answer.
        m_waitingForDump.emplace(slot, id);
        m_slots[slot].dumpAsked = false;
        requestDump(slot);
    }
    return id;
}

std::uint64_t LastingBans::addBan(Ban ban)
{
    const std::string address = ban.address;
    const std::uint64_t id = m_list.add(std::move(ban));
    changed(true);
    engineAdd(address);
    return id;
}

bool LastingBans::unban(std::uint64_t id)
{
    const Ban* ban = m_list.find(id);
    if (!ban)
        return false;
    const std::string address = ban->address;
    debug("*** Ban lifted: " + describe(*ban));
    m_list.remove(id);
    engineRemove(address);
    changed(true);
    return true;
}

bool LastingBans::changeDuration(std::uint64_t id, std::int64_t seconds)
{
    Ban* ban = m_list.find(id);
    if (!ban)
        return false;
    ban->ends = seconds > 0 ? now() + seconds : 0;
    changed(true);
    return true;
}

void LastingBans::sweep()
{
    const std::vector<Ban> lifted = m_list.removeExpired(now());
    for (const Ban& ban : lifted) {
        debug("*** Ban lifted, its time ran out at " + BanList::endText(ban) + ": " + describe(ban));
        engineRemove(ban.address);
    }
    if (!lifted.empty())
        changed(false);
    // Players connected before Ravelin saw their connect lines, or whose
    // kick did not take: the sweep is the backstop.
    std::vector<int> slots;
    for (auto& [slot, player] : m_slots)
        slots.push_back(slot);
    for (int slot : slots) {
        if (m_unloading)
            return;
        auto it = m_slots.find(slot);
        if (it == m_slots.end())
            continue;
        it->second.kicked = false;
        check(slot);
    }
}

bool LastingBans::lineSeen(const std::string& line)
{
    m_sent = false;
    const std::string text = trimmedLine(line);
    if (m_inUserInfo) {
        if (text == kUserInfoEnd) {
            userInfoDone();
        } else {
            std::string key, value;
            if (ParseUserinfoRow(text, key, value))
                m_userInfo.emplace_back(std::move(key), std::move(value));
        }
        return m_sent;
    }
    if (text == kUserInfoBegin) {
        m_inUserInfo = true;
        m_userInfo.clear();
        return false;
    }
    // A map was loaded: the engine's own list is checked again.
    if (text.starts_with("InitGame:")) {
        askEngineBans();
        return m_sent;
    }
    const std::optional<ConnectEvent> event = ParseConnectLine(text);
    if (!event)
        return false;
    const int slot = event->slot;
    const bool needAddress = m_list.hasAddressBans() || m_list.hasKeyBans();
    switch (event->kind) {
    case ConnectEvent::Kind::Connecting:
        m_slots[slot] = SlotPlayer{};
        m_slots[slot].fresh = true;
        if (needAddress)
            requestDump(slot);
        break;
    case ConnectEvent::Kind::Connect:
        // A map change connects everyone again; only an unknown slot is new.
        if (!m_slots.contains(slot))
            m_slots[slot].fresh = true;
        if (needAddress)
            requestDump(slot);
        check(slot);
        break;
    case ConnectEvent::Kind::Userinfo: {
        SlotPlayer& player = m_slots[slot];
        player.name = event->name;
        if (!event->key.empty())
            player.key = event->key;
        const bool joined = player.fresh && !player.name.empty();
        if (joined)
            player.fresh = false;
        check(slot);
        if (joined && m_onJoin && !m_slots[slot].kicked)
            m_onJoin(event->name);
        break;
    }
    case ConnectEvent::Kind::Disconnect:
        m_slots.erase(slot);
        m_waitingForDump.erase(slot);
        std::erase(m_dumpQueue, slot);
        break;
    }
    return m_sent;
}

void LastingBans::check(int slot)
{
    auto it = m_slots.find(slot);
    if (it == m_slots.end() || it->second.kicked)
        return;
    SlotPlayer& player = it->second;
    PlayerIdentity who{player.name.empty() ? std::string() : NameKeyOf(player.name), player.address, player.key};
    const Ban* ban = m_list.match(who, now());
    if (!ban)
        return;
    player.kicked = true;
    const std::string nameField = who.nameKey.empty() ? ban->name : who.nameKey;
    debug("*** Banned player in slot " + std::to_string(slot) + " kicked: " + SafeArgument(nameField) + " (ban of "
          + describe(*ban) + ")");
    const std::string shown = player.name.empty() ? nameField : player.name;
    const std::string why = describe(*ban);
    send(kickLine(slot, nameField, ban->reason));
    if (m_onKick)
        m_onKick(shown, why);
}

void LastingBans::requestDump(int slot)
{
    SlotPlayer& player = m_slots[slot];
    if (player.dumpAsked)
        return;
    player.dumpAsked = true;
    m_dumpQueue.push_back(slot);
    send(std::string("echo \"") + kUserInfoBegin + "\";dumpuser " + std::to_string(slot) + ";echo \"" + kUserInfoEnd
         + "\"");
}

void LastingBans::userInfoDone()
{
    m_inUserInfo = false;
    std::string name, ip, key;
    for (const auto& [k, v] : m_userInfo) {
        if (k == "name")
            name = v;
        else if (k == "ip")
            ip = v;
        else if (k == "cl_guid")
            key = v;
    }
    // Answers come in the order asked; one asked by a script or the
    // operator is told apart by its name where it can be.
    int slot = -1;
    for (auto it = m_dumpQueue.begin(); it != m_dumpQueue.end(); ++it) {
        auto player = m_slots.find(*it);
        if (player != m_slots.end() && (player->second.name.empty() || player->second.name == name)) {
            slot = *it;
            m_dumpQueue.erase(it);
            break;
        }
    }
    // The game may clean a name the settings still hold raw: compared by
    // name key then. An answer without a name ("Client N is not active")
    // is the oldest question's. An answer that fits no question is not
    // guessed at: a wrong address could throw out the wrong player.
    for (auto it = m_dumpQueue.begin(); slot < 0 && !name.empty() && it != m_dumpQueue.end(); ++it) {
        auto player = m_slots.find(*it);
        if (player != m_slots.end() && NameKeyOf(player->second.name) == NameKeyOf(name)) {
            slot = *it;
            m_dumpQueue.erase(it);
            break;
        }
    }
    if (slot < 0 && !m_dumpQueue.empty() && name.empty()) {
        slot = m_dumpQueue.front();
        m_dumpQueue.pop_front();
    }
    if (slot < 0) {
        for (const auto& [s, player] : m_slots)
            if (!name.empty() && player.name == name)
                slot = s;
        if (slot < 0)
            return;
    }
    SlotPlayer& player = m_slots[slot];
    if (player.name.empty())
        player.name = name;
    if (const std::string address = AddressOf(ip); !address.empty())
        player.address = address;
    if (!key.empty())
        player.key = key;
    bool filled = false;
    auto [from, to] = m_waitingForDump.equal_range(slot);
    for (auto it = from; it != to; ++it) {
        Ban* ban = m_list.find(it->second);
        if (!ban)
            continue;
        if (ban->address.empty() && !player.address.empty()) {
            ban->address = player.address;
            engineAdd(player.address);
            filled = true;
        }
        if (ban->key.empty() && !player.key.empty()) {
            ban->key = player.key;
            filled = true;
        }
    }
    m_waitingForDump.erase(slot);
    if (filled) {
        m_list.reindex();
        changed(false);
    }
    check(slot);
}

void LastingBans::askEngineBans()
{
    if (m_engineList == EngineList::Absent)
        return;
    if (m_unloading)
        return;
    // Run for its output alone: the list never reaches the operator's
    // console or the scripts.
    const CommandOutput listed =
        m_bridge.ExecCommand(m_bridge.FindConsoleWindow(), "listbans", ConsoleBridge::kExecTimeoutMs);
    if (!listed.ok || m_unloading)
        return;
    m_engineBanLines.clear();
    for (const std::string& line : listed.lines)
        m_engineBanLines.push_back(trimmedLine(line));
    engineBansDone();
}

void LastingBans::engineBansDone()
{
    std::set<std::string> addresses;
    for (const std::string& line : m_engineBanLines) {
        if (line.find("nknown command") != std::string::npos || line.find("server: listbans") != std::string::npos) {
            m_engineList = EngineList::Absent;
            debug("*** The server keeps no address ban list of its own; Ravelin kicks banned addresses at connect.");
            return;
        }
        // No map yet: asked again once one is loaded.
        if (line.find("Server is not running") != std::string::npos)
            return;
        std::string address;
        if (engineBanAddress(line, address))
            addresses.insert(address);
    }
    const bool first = m_engineList != EngineList::Present;
    m_engineList = EngineList::Present;
    m_engineAddresses = std::move(addresses);
    int added = 0;
    for (const Ban& ban : m_list.bans()) {
        if (ban.address.empty() || ban.expiredAt(now()) || m_engineAddresses.count(ban.address))
            continue;
        engineAdd(ban.address);
        ++added;
    }
    if (first || added > 0)
        debug("*** The server keeps its own address ban list (listbans): " + std::to_string(added)
              + " of Ravelin's address bans put back there.");
}

void LastingBans::engineAdd(const std::string& address)
{
    if (m_engineList != EngineList::Present || AddressOf(address) != address || m_engineAddresses.count(address))
        return;
    m_engineAddresses.insert(address);
    send("banaddr " + address);
}

void LastingBans::engineRemove(const std::string& address)
{
    if (m_engineList != EngineList::Present || address.empty() || !m_engineAddresses.count(address))
        return;
    for (const Ban& ban : m_list.bans())
        if (ban.address == address && !ban.expiredAt(now()))
            return;
    m_engineAddresses.erase(address);
    send("bandel " + address);
}

} // namespace ravelin
