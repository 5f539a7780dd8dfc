// The message-loop yield: runs every pending event of the user-interface
// thread (timers, clicks, socket traffic) and returns.
#pragma once

#include "platform/MessageLoop.h"

namespace ravelin {

class QtMessageLoop final : public MessageLoop {
public:
    void yield() override;
    void pause(std::chrono::milliseconds most) override;
    // How many yields are running right now, one inside the other: while
    // any is, some handler is suspended in it and the objects it works on
    // must stay alive until it has returned.
    static int depth();
};

} // namespace ravelin
