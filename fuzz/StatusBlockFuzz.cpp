// The STATUS block as the console shows it: the header and rows of either
// layout, and the name-column match the roster runs on every row.
#include "clients/PlayerText.h"
#include "clients/StatusBlock.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view block(reinterpret_cast<const char*>(data), size);
    const ravelin::StatusTable table = ravelin::ParseStatusBlock(block);
    if (!table.hasHeader && !table.rows.empty())
        __builtin_trap();
    for (const ravelin::StatusTableRow& row : table.rows) {
        const std::string column = ravelin::StripConsoleColours(row.nameColumn);
        // The row's own first word always matches its name column.
        const std::string_view first = std::string_view(column).substr(0, column.find(' '));
        if (!first.empty() && !ravelin::NameColumnStartsWith(column, first))
            __builtin_trap();
        (void)ravelin::NameColumnStartsWith(column, ravelin::trimBlanks(column));
    }
    return 0;
}
