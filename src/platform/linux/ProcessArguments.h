// The command line a running process was started with, from
// /proc/PID/cmdline (NUL-separated arguments); empty when the process is
// gone or not ours to read.
#pragma once

#include <string>
#include <vector>

namespace ravelin {

std::vector<std::string> processArguments(int pid);

} // namespace ravelin
