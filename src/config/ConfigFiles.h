// The server's configuration files on disk: which folders hold them, which
// files are listed, which paths may be opened, and reading and saving one.
//
// Folders. The engine looks for a file to exec in its home folder first,
// then in its base folder, each for the running game:
// <fs_homepath>/<game> and <fs_basepath>/<game>, where the game is fs_game,
// else com_basegame (ioq3), else baseq3 (Quake III 1.32, whose home folder
// is its base folder). The list holds the ".cfg" files directly in those
// folders, a name in both given once (the home one wins, as in the engine),
// without the cvar dump's temporary file.
//
// The guard. A path may be opened only when, with every link and ".."
// resolved, it names a regular ".cfg" file directly inside one of the
// folders (also resolved). So "../x.cfg", an absolute path elsewhere and a
// link that leads out are refused, each with a reason for the operator.
//
// Saving. The bytes go to a temporary file that is flushed and renamed
// over the file; the previous bytes are kept first as NAME.cfg.bak (itself
// written the same way). A file whose bytes on disk are no longer those it
// was opened with is not overwritten unless the caller says so.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ravelin {

// Where the server keeps its files, from its cvars as the probe answered
// them ("UNKNOWN" and "UNKNOWN COMMAND" count as no answer).
struct ServerFolders {
    std::string basePath; // fs_basepath
    std::string homePath; // fs_homepath
    std::string fsGame; // fs_game
    std::string baseGame; // com_basegame (ioq3 only)

    // The folders to search, home first; none when no base folder is known.
    std::vector<std::filesystem::path> searchFolders() const;
    // The running game's folder name.
    std::string game() const;
    // True for the ioq3 engine (it answers com_basegame).
    bool ioq3() const;
};

struct ConfigFileEntry {
    std::string name; // the file name, as exec takes it
    std::filesystem::path path;
    bool startup = false; // the file the server was started with (+exec)
    // Why it cannot be opened (a link leading out); empty when it can.
    std::string refused;
};

// The `+exec NAME` of a server's command line ("" when there is none); the
// engine adds ".cfg" to a name without an extension.
std::string startupExec(const std::vector<std::string>& arguments);

std::vector<ConfigFileEntry> listConfigFiles(const std::vector<std::filesystem::path>& folders,
                                             const std::string& startupName);

// The resolved path when `requested` may be opened; otherwise nullopt and
// `reason` says why.
std::optional<std::filesystem::path> guardConfigPath(const std::vector<std::filesystem::path>& folders,
                                                     const std::filesystem::path& requested, std::string& reason);

// A file's bytes; nullopt (and `error`) when it cannot be read.
std::optional<std::string> readConfigFile(const std::filesystem::path& file, std::string& error);

enum class SaveResult { Saved, ChangedOnDisk, Failed };

// Saves `bytes` over `file`, keeping the bytes on disk as NAME.cfg.bak.
// Unless `overwriteChanged`, a file whose bytes differ from `opened` is
// left alone (ChangedOnDisk). A file that is gone counts as changed.
SaveResult saveConfigFile(const std::filesystem::path& file, const std::string& opened, const std::string& bytes,
                          bool overwriteChanged, std::string& error);

} // namespace ravelin
