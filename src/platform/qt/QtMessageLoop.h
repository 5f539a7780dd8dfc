// The message-loop yield: runs every pending event of the user-interface
// thread (timers, clicks, socket traffic) and returns.
#pragma once

#include "platform/MessageLoop.h"

namespace ravelin {

class QtMessageLoop final : public MessageLoop {
public:
    void yield() override;
    void pause(std::chrono::milliseconds most) override;
};

} // namespace ravelin
