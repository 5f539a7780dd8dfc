// The registry substitute: keys under a root hold typed values (text or a
// 32-bit number). On Linux the store is a file of typed values
// ($XDG_CONFIG_HOME/Ravelin/registry.ini, IniRegistry); the calls keep the
// registry's shape (open, query, close; status codes) for the code above.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ravelin {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

// Value types as the registry numbers them.
inline constexpr int REG_SZ = 1;
inline constexpr int REG_BINARY = 3;
inline constexpr int REG_DWORD = 4;

// Status codes as the registry answers them.
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_INVALID_HANDLE = 6;

using RegistryKey = std::intptr_t; // 0: no key

class Registry {
public:
    virtual ~Registry() = default;
    // Opens root\path (case does not matter); `key` is 0 when it fails.
    virtual long openKey(RegistryRoot root, std::string_view path, RegistryKey& key) = 0;
    // A value's type and its data: the text for REG_SZ, four little-endian
    // bytes for REG_DWORD, the raw bytes otherwise.
    virtual long queryValue(RegistryKey key, std::string_view name, int& type, std::string& data) = 0;
    virtual long closeKey(RegistryKey key) = 0;
};

} // namespace ravelin
