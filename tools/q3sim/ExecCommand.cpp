// exec as the engine does it: the file is looked for in the home folder's
// game folder, then the base folder's (fs_homepath/<game>, then
// fs_basepath/<game>), ".cfg" added when the name has no extension, "\"
// read as "/". A name with ".." or an absolute one is not looked up. The
// whole file goes into the command buffer at once, so a file that does not
// fit (with one byte to spare) is skipped whole: 16,384 bytes in 1.32,
// 131,072 in the ioq3 engine. Its commands then run as if typed, in order.
#include "q3sim/CommandText.h"
#include "q3sim/Server.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace q3sim {

namespace {

constexpr std::size_t kBuffer132 = 16384;
constexpr std::size_t kBufferIoq3 = 131072;
// A file that execs itself would fill the buffer for ever; the engine
// stops at the overflow, here a depth does it.
constexpr int kMaxExecDepth = 32;

} // namespace

void Server::commandExec(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        print("exec <filename> : execute a script file");
        return;
    }
    std::string name = args[1];
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::size_t slash = name.find_last_of('/');
    if (name.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos)
        name += ".cfg";
    std::string text;
    bool found = false;
    if (name.find("..") == std::string::npos && name.front() != '/') {
        for (const std::string& root : {m_cvars.value("fs_homepath"), m_cvars.value("fs_basepath")}) {
            std::ifstream in(std::filesystem::path(root) / gameFolder() / name, std::ios::binary);
            if (!in)
                continue;
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            found = true;
            break;
        }
    }
    if (!found) {
        print("couldn't exec " + name);
        return;
    }
    print("execing " + name);
    if (text.size() + 1 > (m_ioq3 ? kBufferIoq3 : kBuffer132)) {
        print("Cbuf_InsertText overflowed");
        return;
    }
    if (m_execDepth >= kMaxExecDepth)
        return;
    ++m_execDepth;
    executeText(text);
    --m_execDepth;
}

} // namespace q3sim
