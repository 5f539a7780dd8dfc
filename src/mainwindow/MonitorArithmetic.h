// The system monitor's figures: what the sys page's labels say, how far each
// of the four gauges is filled, and how high the chart's two points stand,
// from one reading of the machine's memory status.
//
// Every amount is a 64-bit count of bytes, so a machine with 64 GB shows its
// true total instead of a wrapped one. An amount whose total is 0 (no swap
// is common on Linux) counts as all free: "0 MB", "0 KB (0% used)", an empty
// gauge.
#pragma once

#include "platform/MemoryInfo.h"

#include <array>
#include <cstdint>
#include <string>

namespace ravelin {

struct MonitorReading {
    std::string usedMem; // lblUsedMem
    std::string totalPhys, availPhys;
    std::string totalPageFile, availPageFile;
    std::string totalVirt, availVirt;
    // Filled share of picMem(0..3): memory load, physical, paging, virtual.
    std::array<double, 4> gauge{};
    // Chart points in pixels above the bottom edge, never below 2.
    double physicalHeight = 0;
    double loadHeight = 0;
};

// Rounds to the nearest whole number, halves to the even neighbour.
std::int64_t roundHalfEven(double value);

// "128 MB": the total in kilobytes rounded, then whole megabytes.
std::string totalLabel(std::uint64_t totalBytes);
// Available share of the total, 1 when the total is 0.
double freeRatio(std::uint64_t availBytes, std::uint64_t totalBytes);
// "49152 KB (62% used)": the available kilobytes, exact (a fraction only when
// there is one), and the used percentage.
std::string availLabel(std::uint64_t availBytes, std::uint64_t totalBytes);

MonitorReading readMonitor(const MemoryStatus& status);

} // namespace ravelin
