// The RAM status report said into the game: eight lines built from the
// memory figures, and the schedule of the report timer (the first report at
// the sixth minute tick, then every fifth). Figures are 64-bit throughout, so
// a machine with 64 GB free says 65536 MB.
#pragma once

#include "platform/MemoryInfo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ravelin {

// Bytes in megabytes (1024 × 1024), rounded to the nearest whole number,
// halves to the even neighbour.
std::uint64_t megabytes(std::uint64_t bytes);

std::vector<std::string> ramReportLines(const MemoryStatus& status);

class ReportSchedule {
public:
    static constexpr int kTicksBetweenReports = 5;

    // One minute tick; true when a report is due now.
    bool tick();
    int counter() const { return m_counter; }

private:
    int m_counter = 0;
};

} // namespace ravelin
