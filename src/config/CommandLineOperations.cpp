#include "config/CommandLineOperations.h"

namespace ravelin {

void addCommandLineOperations(OperationTable& table, CommandLine& commandLine)
{
    table.addProperty(
        "Intellisense",
        [&commandLine](OperationTable::Args) {
            return vbs::Variant::integer(static_cast<int16_t>(commandLine.Intellisense()));
        },
        [&commandLine](const vbs::Variant& value) { commandLine.setIntellisense(value.toLong()); });
    table.addProperty(
        "DosKey",
        [&commandLine](OperationTable::Args) {
            return vbs::Variant::integer(static_cast<int16_t>(commandLine.DosKey()));
        },
        [&commandLine](const vbs::Variant& value) { commandLine.setDosKey(value.toLong()); });
}

} // namespace ravelin
