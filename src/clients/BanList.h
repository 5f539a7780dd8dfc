// The lasting bans of one server: the records, indexed by name key, address
// and client key so a connecting player is checked against any number of
// bans with three lookups, and the file they live in.
//
// The file is read when Ravelin connects to the server and written after
// each change (atomically, the previous version kept as .bak). A file that
// could not be read whole is left exactly as it is until the operator
// changes a ban: an automatic change (an expiry, a key learned later) then
// waits in memory, so a damaged file is never replaced behind the
// operator's back; the first write keeps the damaged original beside it.
#pragma once

#include "clients/BanFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ravelin {

// What a connecting player is known by; empty parts are not compared.
struct PlayerIdentity {
    std::string nameKey;
    std::string address;
    std::string key;
};

class BanList {
public:
    // Where the bans of the server at host:port live under `dataFolder`.
    static std::filesystem::path fileFor(const std::filesystem::path& dataFolder, const std::string& host, int port);

    // A duration as the operator types it: "permanent" (or nothing), or a
    // whole number with m, h or d (minutes, hours, days; the words too).
    // Seconds, 0 for permanent; nullopt for text that is neither.
    static std::optional<std::int64_t> parseDuration(const std::string& text);
    // "permanent", or when the ban ends in UTC ("2027-01-31 17:05:00 UTC").
    static std::string endText(const Ban& ban);

    // Forgets every ban and reads `file` (a missing file is an empty list).
    // Returns what could not be read; the file is then held as damaged.
    std::vector<std::string> load(const std::filesystem::path& file);
    const std::filesystem::path& file() const { return m_file; }
    bool damaged() const { return m_damaged; }

    // Writes the list. `byOperator` is false for automatic changes, which a
    // damaged file holds back. False with `error` when the write failed.
    bool save(bool byOperator, std::string* error = nullptr);

    // Each change returns the ban's id (stable while the program runs).
    std::uint64_t add(Ban ban);
    bool remove(std::uint64_t id);
    // Every ban whose `ends` has passed at `now`, removed and returned.
    std::vector<Ban> removeExpired(std::int64_t now);
    Ban* find(std::uint64_t id);

    // The first ban in force at `now` that names this player by name key,
    // address or key; null when none does.
    const Ban* match(const PlayerIdentity& who, std::int64_t now) const;

    std::size_t size() const { return m_bans.size(); }
    const std::vector<Ban>& bans() const { return m_bans; }
    const std::vector<std::uint64_t>& ids() const { return m_ids; }
    // True while a ban names an address, a key.
    bool hasAddressBans() const { return !m_byAddress.empty(); }
    bool hasKeyBans() const { return !m_byKey.empty(); }
    // After a ban found by id was changed in place.
    void reindex();

private:
    void indexAt(std::size_t at);
    const Ban* firstInForce(const std::unordered_multimap<std::string, std::size_t>& index, const std::string& value,
                            std::int64_t now, std::size_t& best) const;

    std::filesystem::path m_file;
    bool m_damaged = false;
    bool m_keptDamaged = false;
    int m_version = BanFileContent::kVersion;
    std::vector<std::string> m_otherLines;
    std::vector<Ban> m_bans;
    std::vector<std::uint64_t> m_ids;
    std::uint64_t m_nextId = 1;
    std::unordered_multimap<std::string, std::size_t> m_byName;
    std::unordered_multimap<std::string, std::size_t> m_byAddress;
    std::unordered_multimap<std::string, std::size_t> m_byKey;
};

} // namespace ravelin
