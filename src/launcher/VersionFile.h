// The version file of the update check: three fields separated by single
// blanks (version, where the new version is, where the next check reads
// from), and the rules that decide what the check does with them.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ravelin {

// Anything larger is not a version file; the download is refused.
inline constexpr std::size_t kMaxVersionFileBytes = 8 * 1024;

struct VersionNumber {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t revision = 0;
    auto operator<=>(const VersionNumber&) const = default;
};

struct VersionFile {
    std::string version; // field 1, major.minor.revision
    std::string location; // field 2, the new version
    std::string nextLocation; // field 3, the version file for the next check
};

// "1.0.448" -> {1, 0, 448}; nullopt unless the text is exactly three whole
// numbers (digits only, each fitting 32 bits) joined by dots.
std::optional<VersionNumber> parseVersionNumber(std::string_view text);

// The file's bytes -> its three fields; nullopt when the file is larger than
// kMaxVersionFileBytes or does not split into exactly three fields. Blanks
// and line breaks around the whole text are removed first (a file written
// by any editor ends with one), so they never become part of a field.
std::optional<VersionFile> parseVersionFile(std::string_view bytes);

// True when the file announces a version after `running`, compared in order
// of significance; a version field that is not three numbers is not newer.
bool isNewer(const VersionFile& file, VersionNumber running);

// An http, https or ftp URL (scheme in any case, followed by "://" and a
// host): the only kind of location stored for the next check or handed to
// the desktop to open.
bool isWebLocation(std::string_view location);

} // namespace ravelin
