// How the config editor runs a command and reads its output: the console
// bridge's exact output of one command, handed in as a function so the
// editor does not care where the lines come from (tests give their own).
#pragma once

#include "console/ConsoleBridge.h"

#include <functional>
#include <string>

namespace ravelin {

using RunCommand = std::function<CommandOutput(const std::string& command)>;

} // namespace ravelin
