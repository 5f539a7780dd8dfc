// Yielding to the user-interface thread's message loop: every pending event
// (timers, clicks, socket traffic) runs before yield() returns. Bridge
// operations yield mid-way, so callers must expect to be re-entered.
//
// Waits on a server (the cvar probe) use pause() and now(): a pause runs
// events for up to the given time instead of spinning, and now() is the
// loop's own monotonic clock, so a simulated loop can run simulated time.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

namespace ravelin {

class MessageLoop {
public:
    virtual ~MessageLoop() = default;
    virtual void yield() = 0;
    // Runs events for up to `most`; by default a single yield.
    virtual void pause(std::chrono::milliseconds most)
    {
        (void)most;
        yield();
    }
    // Milliseconds on a monotonic clock.
    virtual std::int64_t nowMs()
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

// For command-line front ends with nothing to process between steps: a
// pause just sleeps.
class NullMessageLoop final : public MessageLoop {
public:
    void yield() override {}
    void pause(std::chrono::milliseconds most) override { std::this_thread::sleep_for(most); }
};

} // namespace ravelin
