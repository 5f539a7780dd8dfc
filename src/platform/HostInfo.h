// Facts about this machine shown in the start window and said in reports.
#pragma once

#include <string>

namespace ravelin {

class HostInfo {
public:
    virtual ~HostInfo() = default;
    // The computer's name; "" when the system cannot tell.
    virtual std::string computerName() = 0;
    // The first non-loopback IPv4 address, 127.0.0.1 when there is none.
    virtual std::string localIp() = 0;
};

} // namespace ravelin
