#include "platform/linux/ProcMemoryInfo.h"

#include <sys/resource.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>

namespace ravelin {

namespace {

// x86-64 and AArch64 with 4-level tables give user space 128 TiB.
constexpr std::uint64_t kUserAddressSpace = std::uint64_t{1} << 47;

std::string readAll(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value of a "Key:   1234 kB" line in bytes, 0 when the key is absent or
// the number unreadable.
std::uint64_t kilobytesOf(std::string_view text, std::string_view key)
{
    std::size_t at = 0;
    while ((at = text.find(key, at)) != std::string_view::npos) {
        const bool lineStart = at == 0 || text[at - 1] == '\n';
        const std::size_t colon = at + key.size();
        if (lineStart && colon < text.size() && text[colon] == ':') {
            std::size_t digits = text.find_first_not_of(" \t", colon + 1);
            if (digits == std::string_view::npos)
                return 0;
            std::uint64_t value = 0;
            auto [end, ec] = std::from_chars(text.data() + digits, text.data() + text.size(), value);
            if (ec != std::errc() || value > UINT64_MAX / 1024)
                return 0;
            (void)end;
            return value * 1024;
        }
        at = colon;
    }
    return 0;
}

} // namespace

MemoryStatus parseMeminfo(std::string_view meminfo)
{
    MemoryStatus s;
    s.totalPhys = kilobytesOf(meminfo, "MemTotal");
    // Kernels before 3.14 have no MemAvailable; free memory is the nearest.
    s.availPhys = meminfo.find("\nMemAvailable:") != std::string_view::npos ? kilobytesOf(meminfo, "MemAvailable")
                                                                            : kilobytesOf(meminfo, "MemFree");
    if (s.availPhys > s.totalPhys)
        s.availPhys = s.totalPhys;
    if (s.totalPhys > 0)
        s.memoryLoad = static_cast<std::uint32_t>((s.totalPhys - s.availPhys) * 100 / s.totalPhys);
    s.totalPageFile = kilobytesOf(meminfo, "SwapTotal");
    s.availPageFile = kilobytesOf(meminfo, "SwapFree");
    if (s.availPageFile > s.totalPageFile)
        s.availPageFile = s.totalPageFile;
    return s;
}

std::uint64_t parseVmSize(std::string_view status) { return kilobytesOf(status, "VmSize"); }

MemoryStatus ProcMemoryInfo::status()
{
    MemoryStatus s = parseMeminfo(readAll("/proc/meminfo"));
    rlimit limit{};
    s.totalVirtual = getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        ? static_cast<std::uint64_t>(limit.rlim_cur)
        : kUserAddressSpace;
    const std::uint64_t used = parseVmSize(readAll("/proc/self/status"));
    s.availVirtual = used < s.totalVirtual ? s.totalVirtual - used : 0;
    return s;
}

} // namespace ravelin
