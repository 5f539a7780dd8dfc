#include "platform/WindowManager.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace ravelin {

std::optional<std::string> WindowManager::readServerFile(WindowHandle console, const std::string& path, bool remove)
{
    (void)console;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (remove)
        std::filesystem::remove(path, ec);
    return text;
}

} // namespace ravelin
