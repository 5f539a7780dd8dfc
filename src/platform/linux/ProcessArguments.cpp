#include "platform/linux/ProcessArguments.h"

#include <fstream>
#include <iterator>

namespace ravelin {

std::vector<std::string> processArguments(int pid)
{
    std::vector<std::string> arguments;
    if (pid <= 0)
        return arguments;
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        arguments.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

} // namespace ravelin
