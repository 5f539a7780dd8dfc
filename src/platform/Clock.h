// A monotonic clock for bounded waits. The program reads the steady clock;
// tests hand in a clock they move by hand (platform/sim/ManualClock.h in tests/support), so a limit of
// seconds is reached without waiting for it.
#pragma once

#include <chrono>

namespace ravelin {

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~Clock() = default;
    virtual TimePoint now() = 0;
};

class SteadyClock final : public Clock {
public:
    TimePoint now() override { return std::chrono::steady_clock::now(); }
};

} // namespace ravelin
