// Registry reads for the launcher: a typed value of a key, and the game's
// install folder (the registry value, else the first existing folder among
// the usual Linux homes of Quake III-engine servers).
#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace ravelin {

// Empty, text, or a 32-bit number.
using RegistryValue = std::variant<std::monostate, std::string, std::int32_t>;

// Reads `valueName` of root\keyPath; empty when anything fails.
RegistryValue ReadRegistryValue(Registry& registry, RegistryRoot root, const std::string& keyPath,
                                const std::string& valueName);

// Reads `valueName` of an open key into `value`: the registry's status (0 on
// success), -1 for a type other than text or number. A failed first read
// leaves `value` as it was; a failed text read empties it.
long QueryRegistryValue(Registry& registry, RegistryKey key, const std::string& valueName, RegistryValue& value);

// Text for a prompt's default answer: the text itself, a number in decimal,
// "" when empty.
std::string registryText(const RegistryValue& value);

inline constexpr const char* kGameKey = "SOFTWARE\\ID\\QUAKE III ARENA";
inline constexpr const char* kGamePathValue = "INSTALLPATH";
// Where the shim finds the real server once the game's binary was renamed.
inline constexpr const char* kGameExeKey = "SOFTWARE\\ID\\QUAKE3";
inline constexpr const char* kGameExeValue = "INSTALLEXEPATH";

// Where Debian's ioquake3 and openarena-server packages, the old quake3
// packages and hand installs keep a Quake III-engine server, best first.
std::vector<std::filesystem::path> usualGameFolders();

// The registry's INSTALLPATH (text, or a number in decimal); when absent the
// first of `candidates` that `isFolder` accepts; "" when none.
std::string GetGameInstallPath(Registry& registry, const std::vector<std::filesystem::path>& candidates,
                               const std::function<bool(const std::filesystem::path&)>& isFolder);

} // namespace ravelin
