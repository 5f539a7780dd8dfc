// Yielding to the user-interface thread's message loop: every pending event
// (timers, clicks, socket traffic) runs before yield() returns. Bridge
// operations yield mid-way, so callers must expect to be re-entered.
#pragma once

namespace ravelin {

class MessageLoop {
public:
    virtual ~MessageLoop() = default;
    virtual void yield() = 0;
};

// For command-line front ends with nothing to process between steps.
class NullMessageLoop final : public MessageLoop {
public:
    void yield() override {}
};

} // namespace ravelin
