#include "launcher/gatehop/GatehopShim.h"

#include "platform/linux/IniRegistry.h"

#include <system_error>

namespace fs = std::filesystem;

namespace ravelin::gatehop {

namespace {

bool same(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    const bool equivalent = fs::equivalent(a, b, ec);
    return ec ? a.lexically_normal() == b.lexically_normal() : equivalent;
}

} // namespace

std::vector<std::string> knownServerNames()
{
    return {"ioq3ded", "ioq3ded.x86_64", "oa_ded", "oa_ded.x86_64", "quake3ded", "q3ded", "q3ded.x86"};
}

fs::path findRealServer(const fs::path& self, const std::string& installExePath, const IsExecutable& isExecutable)
{
    if (!installExePath.empty()) {
        const fs::path stored(installExePath);
        if (!same(stored, self) && isExecutable(stored))
            return stored;
    }
    fs::path renamed = self;
    renamed += "b";
    if (isExecutable(renamed))
        return renamed;
    for (const std::string& name : knownServerNames()) {
        const fs::path candidate = self.parent_path() / name;
        if (!same(candidate, self) && isExecutable(candidate))
            return candidate;
    }
    return {};
}

fs::path findProgram(const std::string& name, const fs::path& preferred, const std::string& path,
                     const IsExecutable& isExecutable)
{
    if (!preferred.empty() && isExecutable(preferred / name))
        return preferred / name;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find(':', start), path.size());
        const fs::path folder = path.substr(start, end - start);
        if (!folder.empty() && isExecutable(folder / name))
            return folder / name;
        start = end + 1;
    }
    return {};
}

std::vector<std::string> consoleCommand(const fs::path& console, const fs::path& server,
                                        const std::vector<std::string>& serverArgs)
{
    std::vector<std::string> command{console.string(), "--", server.string()};
    command.insert(command.end(), serverArgs.begin(), serverArgs.end());
    return command;
}

std::vector<std::string> ravelinCommand(const fs::path& ravelin, long consoleHost)
{
    return {ravelin.string(), "--console", std::to_string(consoleHost)};
}

std::string recordedProgram(const std::string& settingsText)
{
    const auto values = IniRegistry::parseSection(settingsText, "Settings");
    const auto exe = values.find("EXEPATH");
    return exe == values.end() ? std::string() : exe->second.data;
}

} // namespace ravelin::gatehop
