// A clock that moves only when a test moves it.
#pragma once

#include "platform/Clock.h"

namespace ravelin::sim {

class ManualClock final : public Clock {
public:
    TimePoint now() override { return m_now; }
    void advance(std::chrono::milliseconds by) { m_now += by; }

private:
    TimePoint m_now{std::chrono::hours(1)};
};

} // namespace ravelin::sim
