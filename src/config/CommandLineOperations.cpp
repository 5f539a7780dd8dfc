#include "config/CommandLineOperations.h"

namespace ravelin {

void addCommandLineOperations(OperationTable& table, CommandLine& commandLine, std::function<void()> displayRAMStats)
{
    table.addProperty(
        "Intellisense", [&commandLine](OperationTable::Args) { return vbs::Variant::integer(static_cast<int16_t>(commandLine.Intellisense())); },
        [&commandLine](const vbs::Variant& value) { commandLine.setIntellisense(value.toLong()); });
    table.addProperty(
        "DosKey", [&commandLine](OperationTable::Args) { return vbs::Variant::integer(static_cast<int16_t>(commandLine.DosKey())); },
        [&commandLine](const vbs::Variant& value) { commandLine.setDosKey(value.toLong()); });
    table.addMethod("DisplayRAMStats", 0, 0, [displayRAMStats = std::move(displayRAMStats)](OperationTable::Args) {
        if (displayRAMStats)
            displayRAMStats();
        return vbs::Variant();
    });
}

} // namespace ravelin
