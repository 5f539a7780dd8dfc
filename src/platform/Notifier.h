// The desktop's notifications: a short summary and a body line, shown by
// whatever the session offers. Posting never waits and never fails loudly:
// a desktop without a notification service simply shows nothing.
#pragma once

#include <string>

namespace ravelin {

class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void notify(const std::string& summary, const std::string& body) = 0;
};

} // namespace ravelin
