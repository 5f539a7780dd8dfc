#include "consolehost/FailureWatch.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace ravelin::consolehost {

void FailureWatch::started() { *this = FailureWatch(); }

void FailureWatch::outputLine(std::string_view line, std::int64_t nowMs)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    if (m_afterStars && line.starts_with("ERROR: ")) {
        m_dropAt = nowMs;
        m_dropMessage = line;
    } else if (line.starts_with("------ Server Initialization") || line.starts_with("InitGame:")) {
        // A map loads: a drop before it is over, and the server answers
        // from now on.
        m_dropAt.reset();
        m_armed = true;
        if (!m_loadingSince)
            m_loadingSince = nowMs;
    } else if (line.starts_with("----- Server Shutdown")) {
        // No map, no answers: not a hang.
        m_armed = false;
        m_loadingSince.reset();
        m_pending = false;
        m_missed = 0;
    }
    m_afterStars = line == "********************";
}

void FailureWatch::querySent(std::int64_t nowMs)
{
    if (m_pending && m_armed)
        ++m_missed;
    m_pending = true;
    m_sentAt = nowMs;
}

void FailureWatch::answered()
{
    m_pending = false;
    m_missed = 0;
    m_armed = true;
    m_loadingSince.reset();
}

std::string FailureWatch::failure(std::int64_t nowMs) const
{
    if (m_dropAt && nowMs - *m_dropAt >= kMapGraceMs)
        return "lost its map (" + m_dropMessage + ")";
    if (m_loadingSince && nowMs - *m_loadingSince < kLoadGraceMs)
        return {};
    int missed = m_missed + (m_armed && m_pending && nowMs - m_sentAt >= kAnswerWaitMs ? 1 : 0);
    if (missed >= kMissesForHang)
        return "stopped answering (" + std::to_string(missed) + " status queries "
            + std::to_string(kQueryEveryMs / 1000) + " s apart went unanswered)";
    return {};
}

std::vector<BoundPort> udpPortsOf(pid_t pid)
{
    std::vector<BoundPort> ports;
    const std::filesystem::path proc = "/proc/" + std::to_string(pid);
    std::set<std::string> inodes;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(proc / "fd", ec)) {
        std::string target = std::filesystem::read_symlink(entry.path(), ec).string();
        if (!ec && target.starts_with("socket:[") && target.ends_with("]"))
            inodes.insert(target.substr(8, target.size() - 9));
    }
    // sl local_address rem_address st tx:rx tr:when retrnsmt uid timeout inode
    std::ifstream table(proc / "net" / "udp");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >> inode)
            || !inodes.contains(inode) || local.size() != 13 || local[8] != ':')
            continue;
        // The address is the kernel's 32-bit word printed in hex: on a
        // little-endian machine the bytes of 127.0.0.1 read "0100007F".
        std::uint32_t raw = static_cast<std::uint32_t>(std::strtoul(local.substr(0, 8).c_str(), nullptr, 16));
        std::uint32_t address = __builtin_bswap32(raw);
        if constexpr (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__)
            address = raw;
        int port = static_cast<int>(std::strtol(local.substr(9).c_str(), nullptr, 16));
        if (port > 0)
            ports.push_back({address, port});
    }
    return ports;
}

} // namespace ravelin::consolehost
