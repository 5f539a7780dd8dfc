// The command line's rows in the operations scripts reach: the Intellisense
// and DosKey properties and DisplayRAMStats.
#pragma once

#include "config/CommandLine.h"
#include "scripting/OperationTable.h"

#include <functional>

namespace ravelin {

void addCommandLineOperations(OperationTable& table, CommandLine& commandLine, std::function<void()> displayRAMStats);

} // namespace ravelin
