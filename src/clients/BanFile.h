// The lasting ban list's file: one ban per line, every field escaped so any
// byte of a player's name, key or the operator's reason survives unchanged.
//
//   ravelin-bans 1
//   ban name=%22Bob%22 address=10.1.2.3 key=0A1B reason=wall%20hack since=1800000000 ends=never
//   end 1
//
// A field is `word=value`; in a value every byte below 0x21 or above 0x7e,
// and `%` and `=`, is written %XX. Fields and line kinds this version does
// not know (from a newer one) are kept and written back unchanged. A line
// that cannot be read is skipped with the reason why; the `end` line tells a
// file cut short from a whole one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ravelin {

struct Ban {
    // The player's name key as the roster keeps it ("Bob", quotes included).
    std::string name;
    // The address without its port, and the client key (cl_guid); empty
    // while unknown, and always for a bot.
    std::string address;
    std::string key;
    std::string reason;
    // Seconds since 1970 (UTC); `ends` 0 for a ban that never ends.
    std::int64_t since = 0;
    std::int64_t ends = 0;
    // Fields of a newer version, in their order, values unescaped.
    std::vector<std::pair<std::string, std::string>> otherFields;

    bool permanent() const { return ends == 0; }
    bool expiredAt(std::int64_t now) const { return ends != 0 && now >= ends; }
    bool operator==(const Ban&) const = default;
};

struct BanFileContent {
    static constexpr int kVersion = 1;
    int version = kVersion;
    std::vector<Ban> bans;
    // Lines of a kind this version does not know, kept as they were.
    std::vector<std::string> otherLines;
    // What could not be read, one text per skipped part ("line 4: ...").
    std::vector<std::string> problems;
};

// Reads a whole file's bytes. Never throws; what it skips is in `problems`.
BanFileContent ParseBanFile(std::string_view bytes);
std::string SerializeBanFile(const BanFileContent& content);

std::string EscapeBanField(std::string_view value);
// False (and `out` unspecified) for a broken escape.
bool UnescapeBanField(std::string_view text, std::string& out);

} // namespace ravelin
