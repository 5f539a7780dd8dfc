// The machine's memory figures, as the memory report and the system monitor
// show them. Every figure is in bytes and 64 bits wide: a machine with 64 GB
// must not wrap to a small number.
#pragma once

#include <cstdint>

namespace ravelin {

struct MemoryStatus {
    std::uint32_t length = sizeof(MemoryStatus);
    // Share of physical memory in use, 0–100.
    std::uint32_t memoryLoad = 0;
    std::uint64_t totalPhys = 0;
    std::uint64_t availPhys = 0;
    // The paging file is the swap space.
    std::uint64_t totalPageFile = 0;
    std::uint64_t availPageFile = 0;
    // This process's address space.
    std::uint64_t totalVirtual = 0;
    std::uint64_t availVirtual = 0;
};

class MemoryInfo {
public:
    virtual ~MemoryInfo() = default;
    // Fresh figures; fields the system cannot tell stay 0.
    virtual MemoryStatus status() = 0;
};

} // namespace ravelin
