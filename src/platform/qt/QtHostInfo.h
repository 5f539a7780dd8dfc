// This machine's name and its first non-loopback IPv4 address.
#pragma once

#include "platform/HostInfo.h"

namespace ravelin {

class QtHostInfo final : public HostInfo {
public:
    std::string computerName() override;
    std::string localIp() override;
};

} // namespace ravelin
