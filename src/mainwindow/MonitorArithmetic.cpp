#include "mainwindow/MonitorArithmetic.h"

#include <algorithm>
#include <cmath>

namespace ravelin {

namespace {

constexpr double kChartScale = 25.0;
constexpr double kLowestPoint = 2.0;

// Kilobytes written exactly: 1/1024 has ten decimal places, so the fraction
// of a byte count over 1024 is r * 9765625 / 10^10.
std::string kilobytes(std::uint64_t bytes)
{
    std::string text = std::to_string(bytes / 1024);
    const std::uint64_t rest = bytes % 1024;
    if (rest == 0)
        return text;
    std::string fraction = std::to_string(rest * 9765625);
    fraction.insert(0, 10 - fraction.size(), '0');
    fraction.erase(fraction.find_last_not_of('0') + 1);
    return text + "." + fraction;
}

double chartHeight(double height) { return std::max(height, kLowestPoint); }

} // namespace

std::int64_t roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double diff = value - down;
    auto whole = static_cast<std::int64_t>(down);
    if (diff > 0.5 || (diff == 0.5 && whole % 2 != 0))
        ++whole;
    return whole;
}

std::string totalLabel(std::uint64_t totalBytes)
{
    const std::int64_t kb = roundHalfEven(static_cast<double>(totalBytes) / 1024.0);
    return std::to_string(kb / 1024) + " MB";
}

double freeRatio(std::uint64_t availBytes, std::uint64_t totalBytes)
{
    if (totalBytes == 0)
        return 1.0;
    const double ratio = (static_cast<double>(availBytes) / 1024.0) / (static_cast<double>(totalBytes) / 1024.0);
    return std::min(ratio, 1.0);
}

std::string availLabel(std::uint64_t availBytes, std::uint64_t totalBytes)
{
    const std::int64_t used = 100 - roundHalfEven(freeRatio(availBytes, totalBytes) * 100.0);
    return kilobytes(availBytes) + " KB (" + std::to_string(used) + "% used)";
}

MonitorReading readMonitor(const MemoryStatus& s)
{
    MonitorReading r;
    r.usedMem = std::to_string(s.memoryLoad) + "% load";
    r.totalPhys = totalLabel(s.totalPhys);
    r.availPhys = availLabel(s.availPhys, s.totalPhys);
    r.totalPageFile = totalLabel(s.totalPageFile);
    r.availPageFile = availLabel(s.availPageFile, s.totalPageFile);
    r.totalVirt = totalLabel(s.totalVirtual);
    r.availVirt = availLabel(s.availVirtual, s.totalVirtual);

    const double load = std::min<std::uint32_t>(s.memoryLoad, 100) / 100.0;
    const double physicalFree = freeRatio(s.availPhys, s.totalPhys);
    r.gauge = {load, 1.0 - physicalFree, 1.0 - freeRatio(s.availPageFile, s.totalPageFile),
               1.0 - freeRatio(s.availVirtual, s.totalVirtual)};
    for (double& g : r.gauge)
        g = std::clamp(g, 0.0, 1.0);

    r.physicalHeight = chartHeight(kChartScale * (1.0 - physicalFree));
    r.loadHeight = chartHeight(kChartScale * load);
    return r;
}

} // namespace ravelin
