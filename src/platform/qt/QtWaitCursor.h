// The hourglass pointer for the length of a scope.
#pragma once

namespace ravelin {

class QtWaitCursor {
public:
    QtWaitCursor();
    ~QtWaitCursor();
    QtWaitCursor(const QtWaitCursor&) = delete;
    QtWaitCursor& operator=(const QtWaitCursor&) = delete;
};

} // namespace ravelin
