#include "config/ConfigFiles.h"

#include "config/ConfigSyntax.h"
#include "config/CvarTable.h"
#include "platform/linux/AtomicFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace ravelin {

namespace fs = std::filesystem;

namespace {

bool answered(const std::string& value)
{
    return !value.empty() && value != kCvarUnknown && value != kCvarUnknownCommand;
}

bool isFolderName(const std::string& value)
{
    return answered(value) && value.find_first_of("/\\") == std::string::npos;
}

bool hasCfgExtension(const fs::path& path) { return sameName(path.extension().string(), ".cfg"); }

bool hasDotDot(const fs::path& path)
{
    return std::any_of(path.begin(), path.end(), [](const fs::path& part) { return part == ".."; });
}

fs::path resolved(const fs::path& path)
{
    std::error_code ec;
    fs::path out = fs::canonical(path, ec);
    return ec ? fs::path() : out;
}

} // namespace

std::string ServerFolders::game() const
{
    if (isFolderName(fsGame))
        return fsGame;
    if (isFolderName(baseGame))
        return baseGame;
    return "baseq3";
}

bool ServerFolders::ioq3() const { return isFolderName(baseGame); }

std::vector<fs::path> ServerFolders::searchFolders() const
{
    std::vector<fs::path> folders;
    auto add = [&](const std::string& root) {
        if (!answered(root) || root.front() != '/')
            return;
        const fs::path folder = (fs::path(root) / game()).lexically_normal();
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    };
    add(homePath);
    add(basePath);
    return folders;
}

std::string startupExec(const std::vector<std::string>& arguments)
{
    std::string name;
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (sameName(arguments[i], "+exec"))
            name = arguments[i + 1];
    if (!name.empty() && fs::path(name).extension().empty())
        name += ".cfg";
    return name;
}

std::vector<ConfigFileEntry> listConfigFiles(const std::vector<fs::path>& folders, const std::string& startupName)
{
    std::vector<ConfigFileEntry> entries;
    for (const fs::path& folder : folders) {
        std::error_code ec;
        std::vector<ConfigFileEntry> here;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path path = it->path();
            const std::string name = path.filename().string();
            if (!hasCfgExtension(path) || sameName(name, kCvarDumpName))
                continue;
            std::error_code typeError;
            if (!fs::is_regular_file(path, typeError))
                continue;
            const bool known =
                std::any_of(entries.begin(), entries.end(), [&](const ConfigFileEntry& e) { return e.name == name; });
            if (known)
                continue;
            ConfigFileEntry entry{name, path, sameName(name, startupName), {}};
            guardConfigPath(folders, path, entry.refused);
            here.push_back(std::move(entry));
        }
        std::sort(here.begin(), here.end(), [](const ConfigFileEntry& a, const ConfigFileEntry& b) {
            return lowerName(a.name) < lowerName(b.name);
        });
        entries.insert(entries.end(), here.begin(), here.end());
    }
    return entries;
}

std::optional<fs::path> guardConfigPath(const std::vector<fs::path>& folders, const fs::path& requested,
                                        std::string& reason)
{
    reason.clear();
    if (hasDotDot(requested)) {
        reason = "A path with \"..\" is not opened: " + requested.string();
        return std::nullopt;
    }
    if (!hasCfgExtension(requested)) {
        reason = "Only .cfg files are opened here: " + requested.string();
        return std::nullopt;
    }
    std::vector<fs::path> roots;
    for (const fs::path& folder : folders)
        if (fs::path root = resolved(folder); !root.empty())
            roots.push_back(root);

    std::vector<fs::path> candidates;
    if (requested.is_absolute())
        candidates.push_back(requested);
    else
        for (const fs::path& folder : folders)
            candidates.push_back(folder / requested);
    for (const fs::path& candidate : candidates) {
        const fs::path target = resolved(candidate);
        if (target.empty())
            continue;
        if (std::find(roots.begin(), roots.end(), target.parent_path()) == roots.end()) {
            reason = candidate.string() + " leads to " + target.string() + ", outside the server's folders.";
            return std::nullopt;
        }
        std::error_code ec;
        if (!fs::is_regular_file(target, ec)) {
            reason = candidate.string() + " is not a file.";
            return std::nullopt;
        }
        return target;
    }
    reason = "There is no file " + requested.string() + " in the server's folders.";
    return std::nullopt;
}

std::optional<std::string> readConfigFile(const fs::path& file, std::string& error)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "Cannot read " + file.string() + ".";
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "Cannot read " + file.string() + ".";
        return std::nullopt;
    }
    return bytes;
}

SaveResult saveConfigFile(const fs::path& file, const std::string& opened, const std::string& bytes,
                          bool overwriteChanged, std::string& error)
{
    std::string readError;
    const std::optional<std::string> onDisk = readConfigFile(file, readError);
    if (!overwriteChanged && (!onDisk || *onDisk != opened))
        return SaveResult::ChangedOnDisk;
    if (onDisk) {
        fs::path backup = file;
        backup += ".bak";
        if (!writeFileAtomically(backup, *onDisk, &error))
            return SaveResult::Failed;
    }
    if (!writeFileAtomically(file, bytes, &error))
        return SaveResult::Failed;
    return SaveResult::Saved;
}

} // namespace ravelin
