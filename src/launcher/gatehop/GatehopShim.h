// gatehop, the launcher shim: started in place of the game's dedicated
// server, it runs the real server inside a ravelin-console window (same
// arguments) and starts ravelin connected to that console. These are its
// decisions, free of processes so they can be tested.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ravelin::gatehop {

using IsExecutable = std::function<bool(const std::filesystem::path&)>;

// Dedicated-server names looked for beside the shim, best first.
std::vector<std::string> knownServerNames();

// The real server: the registry's INSTALLEXEPATH when it names a program
// other than the shim; else the shim's own name + "b" (the original renamed
// out of the way); else a known server name in the shim's folder. Empty when
// none is found.
std::filesystem::path findRealServer(const std::filesystem::path& self, const std::string& installExePath,
                                     const IsExecutable& isExecutable);

// A program by name: in `preferred` when there, else on `path` (a PATH
// value). Empty when not found.
std::filesystem::path findProgram(const std::string& name, const std::filesystem::path& preferred,
                                  const std::string& path, const IsExecutable& isExecutable);

// ravelin-console -- SERVER ARGS...: the arguments reach the server unchanged.
std::vector<std::string> consoleCommand(const std::filesystem::path& console, const std::filesystem::path& server,
                                        const std::vector<std::string>& serverArgs);

// ravelin --console HOST: connects to the console hosted by that process.
std::vector<std::string> ravelinCommand(const std::filesystem::path& ravelin, long consoleHost);

// Ravelin's program as the start window last recorded it ("Settings" /
// "EXEPath" of the settings file's text), "" when absent.
std::string recordedProgram(const std::string& settingsText);

} // namespace ravelin::gatehop
