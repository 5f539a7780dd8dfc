#include "config/PresetFolder.h"

#include "platform/linux/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace ravelin {

namespace fs = std::filesystem;

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool isPresetName(const std::string& name)
{
    const std::string ext = kPresetExtension;
    return name.size() >= ext.size() && lowered(name.substr(name.size() - ext.size())) == ext;
}

} // namespace

std::vector<fs::path> listPresetFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && isPresetName(it->path().filename().string()))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        const std::string na = a.filename().string();
        const std::string nb = b.filename().string();
        const std::string la = lowered(na);
        const std::string lb = lowered(nb);
        return la != lb ? la < lb : na < nb;
    });
    return files;
}

PresetListing loadPresetListing(const fs::path& folder)
{
    PresetListing listing;
    for (const fs::path& path : listPresetFiles(folder)) {
        PresetReadResult read = readPresetFile(path);
        if (!read.record) {
            listing.skipped.push_back("Preset skipped: " + path.string() + " (" + read.error + ")");
            continue;
        }
        listing.names.push_back(std::move(read.record->DisplayName));
        listing.paths.push_back(path);
    }
    return listing;
}

PresetSaveResult savePresetFile(const fs::path& folder, const PresetRecord& record, std::string* error)
{
    const std::optional<std::string> bytes = encodePreset(record);
    if (!bytes)
        return PresetSaveResult::TooLong;
    std::error_code made;
    fs::create_directories(folder, made);
    if (made) {
        if (error)
            *error = "cannot create " + folder.string() + ": " + made.message();
        return PresetSaveResult::WriteFailed;
    }
    return writeFileAtomically(folder / (record.FileName + kPresetExtension), *bytes, error)
        ? PresetSaveResult::Saved
        : PresetSaveResult::WriteFailed;
}

} // namespace ravelin
