#include "clients/BanList.h"

#include "platform/linux/AtomicFile.h"

#include <charconv>
#include <ctime>
#include <fstream>
#include <sstream>

namespace ravelin {

namespace {

bool readFile(const std::filesystem::path& file, std::string& bytes)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    bytes = std::move(text).str();
    return true;
}

} // namespace

std::filesystem::path BanList::fileFor(const std::filesystem::path& dataFolder, const std::string& host, int port)
{
    std::string name = host.empty() ? std::string("localhost") : host;
    for (char& c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_'
              || c == '-'))
            c = '_';
    // "." and ".." would name folders, not files.
    if (name.find_first_not_of('.') == std::string::npos)
        name = "_" + name;
    return dataFolder / "bans" / (name + "_" + std::to_string(port) + ".bans");
}

std::optional<std::int64_t> BanList::parseDuration(const std::string& text)
{
    std::string t;
    for (char c : text)
        if (c != ' ' && c != '\t')
            t += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (t.empty() || t == "permanent" || t == "never" || t == "forever")
        return 0;
    std::int64_t count = 0;
    const char* end = t.data() + t.size();
    auto [at, ec] = std::from_chars(t.data(), end, count);
    if (ec != std::errc() || at == t.data() || count <= 0 || count > 100'000'000)
        return std::nullopt;
    const std::string unit(at, end);
    if (unit == "m" || unit == "min" || unit == "minute" || unit == "minutes")
        return count * 60;
    if (unit == "h" || unit == "hour" || unit == "hours")
        return count * 3600;
    if (unit == "d" || unit == "day" || unit == "days")
        return count * 86400;
    return std::nullopt;
}

std::string BanList::endText(const Ban& ban)
{
    if (ban.permanent())
        return "permanent";
    const std::time_t when = static_cast<std::time_t>(ban.ends);
    std::tm parts{};
    char text[64] = {};
    if (!gmtime_r(&when, &parts) || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts) == 0)
        return std::to_string(ban.ends);
    return text;
}

std::vector<std::string> BanList::load(const std::filesystem::path& file)
{
    m_file = file;
    m_bans.clear();
    m_ids.clear();
    m_otherLines.clear();
    m_version = BanFileContent::kVersion;
    m_damaged = false;
    m_keptDamaged = false;
    std::string bytes;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        reindex();
        return {};
    }
    if (!readFile(file, bytes)) {
        m_damaged = true;
        reindex();
        return {"the file could not be opened for reading"};
    }
    BanFileContent content = ParseBanFile(bytes);
    m_version = content.version;
    m_otherLines = std::move(content.otherLines);
    for (Ban& ban : content.bans) {
        m_bans.push_back(std::move(ban));
        m_ids.push_back(m_nextId++);
    }
    m_damaged = !content.problems.empty();
    reindex();
    return content.problems;
}

bool BanList::save(bool byOperator, std::string* error)
{
    if (m_file.empty()) {
        if (error)
            *error = "no server is known yet, so there is no ban file";
        return false;
    }
    if (m_damaged && !byOperator)
        return true;
    std::error_code ec;
    std::filesystem::create_directories(m_file.parent_path(), ec);
    std::string old;
    const bool hadFile = readFile(m_file, old);
    if (m_damaged && hadFile && !m_keptDamaged) {
        // The unreadable original stays, under a name no later write takes.
        std::filesystem::path kept = m_file;
        kept += ".unreadable";
        for (int n = 2; std::filesystem::exists(kept, ec); ++n) {
            kept = m_file;
            kept += ".unreadable." + std::to_string(n);
        }
        if (!writeFileAtomically(kept, old, error))
            return false;
        m_keptDamaged = true;
    }
    if (hadFile) {
        std::filesystem::path backup = m_file;
        backup += ".bak";
        if (!writeFileAtomically(backup, old, error))
            return false;
    }
    BanFileContent content;
    content.version = m_version;
    content.bans = m_bans;
    content.otherLines = m_otherLines;
    if (!writeFileAtomically(m_file, SerializeBanFile(content), error))
        return false;
    m_damaged = false;
    return true;
}

std::uint64_t BanList::add(Ban ban)
{
    m_bans.push_back(std::move(ban));
    m_ids.push_back(m_nextId);
    indexAt(m_bans.size() - 1);
    return m_nextId++;
}

bool BanList::remove(std::uint64_t id)
{
    for (std::size_t i = 0; i < m_ids.size(); ++i) {
        if (m_ids[i] != id)
            continue;
        m_bans.erase(m_bans.begin() + static_cast<std::ptrdiff_t>(i));
        m_ids.erase(m_ids.begin() + static_cast<std::ptrdiff_t>(i));
        reindex();
        return true;
    }
    return false;
}

std::vector<Ban> BanList::removeExpired(std::int64_t now)
{
    std::vector<Ban> lifted;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_bans.size(); ++i) {
        if (m_bans[i].expiredAt(now)) {
            lifted.push_back(std::move(m_bans[i]));
            continue;
        }
        if (kept != i) {
            m_bans[kept] = std::move(m_bans[i]);
            m_ids[kept] = m_ids[i];
        }
        ++kept;
    }
    m_bans.resize(kept);
    m_ids.resize(kept);
    if (!lifted.empty())
        reindex();
    return lifted;
}

Ban* BanList::find(std::uint64_t id)
{
    for (std::size_t i = 0; i < m_ids.size(); ++i)
        if (m_ids[i] == id)
            return &m_bans[i];
    return nullptr;
}

void BanList::indexAt(std::size_t at)
{
    const Ban& ban = m_bans[at];
    if (!ban.name.empty() && ban.name != "\"\"")
        m_byName.emplace(ban.name, at);
    if (!ban.address.empty())
        m_byAddress.emplace(ban.address, at);
    if (!ban.key.empty())
        m_byKey.emplace(ban.key, at);
}

void BanList::reindex()
{
    m_byName.clear();
    m_byAddress.clear();
    m_byKey.clear();
    for (std::size_t i = 0; i < m_bans.size(); ++i)
        indexAt(i);
}

const Ban* BanList::firstInForce(const std::unordered_multimap<std::string, std::size_t>& index,
                                 const std::string& value, std::int64_t now, std::size_t& best) const
{
    if (value.empty())
        return nullptr;
    const Ban* found = nullptr;
    auto [from, to] = index.equal_range(value);
    for (auto it = from; it != to; ++it) {
        if (it->second < best && !m_bans[it->second].expiredAt(now)) {
            best = it->second;
            found = &m_bans[it->second];
        }
    }
    return found;
}

// The earliest ban in the list wins, so the reason said is the same
// whichever part of the player matched.
const Ban* BanList::match(const PlayerIdentity& who, std::int64_t now) const
{
    std::size_t best = m_bans.size();
    const Ban* found = nullptr;
    if (const Ban* b = firstInForce(m_byName, who.nameKey, now, best))
        found = b;
    if (const Ban* b = firstInForce(m_byAddress, who.address, now, best))
        found = b;
    if (const Ban* b = firstInForce(m_byKey, who.key, now, best))
        found = b;
    return found;
}

} // namespace ravelin
