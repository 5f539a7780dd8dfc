#include "platform/AppFolder.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace ravelin {

namespace {

constexpr const char* kDefaultItems[] = {"Scripts", "img", "gatehop"};

const char* nonEmptyEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Copies `from` into `to`, recursing into folders and skipping files that
// already exist.
void copyMissing(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    if (fs::is_directory(from, ec)) {
        fs::create_directories(to, ec);
        for (const auto& entry : fs::directory_iterator(from, ec))
            copyMissing(entry.path(), to / entry.path().filename());
        return;
    }
    if (!fs::exists(to, ec))
        fs::copy_file(from, to, ec);
}

} // namespace

fs::path AppFolder::executableFolder()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fs::current_path(ec);
    return exe.parent_path();
}

std::vector<fs::path> AppFolder::defaultSources(const fs::path& programFolder)
{
    // An installed Ravelin keeps its defaults in share/ravelin and the shim
    // in libexec/ravelin, both beside the bin folder.
    return {programFolder, programFolder.parent_path() / "share" / "ravelin",
            programFolder.parent_path() / "libexec" / "ravelin"};
}

fs::path AppFolder::resolve(const fs::path& programFolder)
{
    std::error_code ec;
    if (const char* home = nonEmptyEnv("RAVELIN_HOME")) {
        // A folder named here but empty (just made, or made by the
        // operator for it) is new: it gets the defaults a new data folder
        // gets. One that holds anything is the operator's as it stands.
        fs::create_directories(home, ec);
        if (fs::is_empty(home, ec) && !ec)
            seed(home, defaultSources(programFolder));
        return fs::path(home);
    }
    if (fs::is_directory(programFolder / "Scripts", ec))
        return programFolder;

    fs::path data;
    if (const char* xdg = nonEmptyEnv("XDG_DATA_HOME"))
        data = xdg;
    else if (const char* home = nonEmptyEnv("HOME"))
        data = fs::path(home) / ".local" / "share";
    else
        data = fs::temp_directory_path(ec);
    fs::path folder = data / "ravelin";
    fs::create_directories(folder, ec);
    seed(folder, defaultSources(programFolder));
    return folder;
}

void AppFolder::seed(const fs::path& folder, const std::vector<fs::path>& sources)
{
    std::error_code ec;
    for (const char* item : kDefaultItems) {
        // An item the folder already has is the operator's, even when files
        // inside it were deleted on purpose.
        if (fs::exists(folder / item, ec))
            continue;
        for (const auto& source : sources) {
            if (source.empty() || fs::equivalent(source, folder, ec))
                continue;
            if (fs::exists(source / item, ec)) {
                copyMissing(source / item, folder / item);
                break;
            }
        }
    }
}

} // namespace ravelin
