// A calendar clock that moves only when a test moves it.
#pragma once

#include "platform/WallClock.h"

namespace ravelin::sim {

class ManualWallClock final : public WallClock {
public:
    explicit ManualWallClock(std::int64_t start = 1'800'000'000) : m_now(start) {}
    std::int64_t unixSeconds() override { return m_now; }
    void set(std::int64_t seconds) { m_now = seconds; }
    void advance(std::int64_t seconds) { m_now += seconds; }

private:
    std::int64_t m_now;
};

} // namespace ravelin::sim
