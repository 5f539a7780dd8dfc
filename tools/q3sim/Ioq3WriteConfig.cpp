// writeconfig as the ioq3 engine (OpenArena, ioquake3) does it on a
// dedicated server, next to the 1.32 behaviour in Server.cpp:
//   - ".cfg" is added when the name has no extension, and any other
//     extension is refused;
//   - the file goes to fs_homepath/<fs_game, else com_basegame>/NAME with
//     "/" and "\" both taken as separators, and a path holding ".." is
//     refused, so "..\ravelin_tmp.cfg" cannot reach the base folder;
//   - the file has no bind lines (a dedicated server has no keys) and is
//     written in place, growing while it is written.
#include "q3sim/CommandText.h"
#include "q3sim/Reports.h"
#include "q3sim/Server.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace q3sim {

namespace {

constexpr const char* kBaseGame = "baseq3";

// The dump without the key bindings.
std::string dedicatedConfigText(const CvarTable& cvars)
{
    std::istringstream all(configFileText(cvars));
    std::string text;
    std::string line;
    while (std::getline(all, line))
        if (line != "unbindall" && line.rfind("bind ", 0) != 0)
            text += line + "\n";
    return text;
}

} // namespace

void Server::setIoq3WriteConfig(bool on)
{
    m_ioq3WriteConfig = on;
    if (on)
        m_cvars.get("com_basegame", kBaseGame, CvarInit);
}

void Server::commandWriteConfigIoq3(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        print("Usage: writeconfig <filename>");
        return;
    }
    std::string name = args[1];
    const auto slash = name.find_last_of('/');
    const std::string lastPart = slash == std::string::npos ? name : name.substr(slash + 1);
    const auto dot = lastPart.find_last_of('.');
    if (dot == std::string::npos)
        name += ".cfg";
    else if (toLower(lastPart.substr(dot)) != ".cfg") {
        print("Com_WriteConfig_f: Only the \".cfg\" extension is supported by this command!");
        return;
    }
    print("Writing " + name + ".");

    std::string game = m_cvars.value("fs_game");
    if (game.empty())
        game = m_cvars.value("com_basegame");
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const std::string osPath = m_cvars.value("fs_homepath") + "/" + game + "/" + relative;
    if (osPath.find("..") != std::string::npos || osPath.find("::") != std::string::npos) {
        print("WARNING: refusing to create relative path \"" + osPath + "\"");
        print("Couldn't write " + name + ".");
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(osPath).parent_path(), ec);
    std::ofstream out(osPath, std::ios::binary | std::ios::trunc);
    out << dedicatedConfigText(m_cvars);
    if (!out)
        print("Couldn't write " + name + ".");
}

} // namespace q3sim
