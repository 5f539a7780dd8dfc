#include "launcher/GameRegistry.h"

#include <cstring>

namespace ravelin {

RegistryValue ReadRegistryValue(Registry& registry, RegistryRoot root, const std::string& keyPath,
                                const std::string& valueName)
{
    RegistryKey key = 0;
    registry.openKey(root, keyPath, key); // a failed open leaves key 0 and the read fails
    RegistryValue value;
    QueryRegistryValue(registry, key, valueName, value);
    registry.closeKey(key);
    return value;
}

long QueryRegistryValue(Registry& registry, RegistryKey key, const std::string& valueName, RegistryValue& value)
{
    int type = 0;
    std::string data;
    const long status = registry.queryValue(key, valueName, type, data);
    if (status != ERROR_SUCCESS)
        return status;
    if (type == REG_SZ) {
        value = data;
        return status;
    }
    if (type == REG_DWORD) {
        if (data.size() != 4)
            return ERROR_FILE_NOT_FOUND;
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<unsigned char>(data[std::size_t(i)]);
        value = static_cast<std::int32_t>(number);
        return status;
    }
    return -1;
}

std::string registryText(const RegistryValue& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return std::to_string(*number);
    return {};
}

std::vector<std::filesystem::path> usualGameFolders()
{
    return {"/usr/lib/ioquake3",
            "/usr/lib/openarena-server",
            "/usr/lib/openarena",
            "/usr/lib/quake3",
            "/usr/local/games/quake3",
            "/usr/local/games/ioquake3",
            "/usr/local/games/openarena",
            "/opt/quake3",
            "/opt/ioquake3",
            "/opt/openarena"};
}

std::string GetGameInstallPath(Registry& registry, const std::vector<std::filesystem::path>& candidates,
                               const std::function<bool(const std::filesystem::path&)>& isFolder)
{
    const std::string stored =
        registryText(ReadRegistryValue(registry, RegistryRoot::LocalMachine, kGameKey, kGamePathValue));
    if (!stored.empty())
        return stored;
    for (const auto& folder : candidates)
        if (isFolder(folder))
            return folder.string();
    return {};
}

} // namespace ravelin
