// The calendar clock, in whole seconds since 1970 (UTC). Lasting records
// (bans and their ends) are kept in it, since they must mean the same after
// a restart; bounded waits use the steady Clock instead. Tests hand in a
// clock they set by hand (sim/ManualWallClock.h).
#pragma once

#include <chrono>
#include <cstdint>

namespace ravelin {

class WallClock {
public:
    virtual ~WallClock() = default;
    virtual std::int64_t unixSeconds() = 0;
};

class SystemWallClock final : public WallClock {
public:
    std::int64_t unixSeconds() override
    {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace ravelin
