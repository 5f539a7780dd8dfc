// The command line's rows in the operations scripts reach: the Intellisense
// and DosKey properties (RAM_STATUS reaches scripts with the reports).
#pragma once

#include "config/CommandLine.h"
#include "scripting/OperationTable.h"

namespace ravelin {

void addCommandLineOperations(OperationTable& table, CommandLine& commandLine);

} // namespace ravelin
