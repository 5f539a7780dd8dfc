// Memory figures from /proc: physical memory and swap from /proc/meminfo
// (in use = MemTotal − MemAvailable), this process's address space from
// /proc/self/status (VmSize) against its limit (RLIMIT_AS, else the user
// address space of the machine).
#pragma once

#include "platform/MemoryInfo.h"

#include <string_view>

namespace ravelin {

// Fills the physical and swap figures from the text of /proc/meminfo.
MemoryStatus parseMeminfo(std::string_view meminfo);
// VmSize in bytes from the text of /proc/self/status; 0 when absent.
std::uint64_t parseVmSize(std::string_view status);

class ProcMemoryInfo final : public MemoryInfo {
public:
    MemoryStatus status() override;
};

} // namespace ravelin
