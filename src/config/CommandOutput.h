// The output one command printed on the server console, and how to get it.
// The console bridge provides the call that fills it (exactly the lines the
// server printed for the command); the editor page receives that call as a
// function, so it does not care where the lines come from.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ravelin {

struct CommandOutput {
    bool ok = false;
    std::vector<std::string> lines;
    std::string error;
};

using RunCommand = std::function<CommandOutput(const std::string& command)>;

} // namespace ravelin
