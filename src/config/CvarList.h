// The rows of the cvar table in display order, with the table's sorting
// state: sort column, direction, and the column last clicked.
//
// A reload replaces every row and sorts them once by the current column and
// direction; a column click sorts once (the first click on a column sorts it
// ascending, the next one flips it). Between sorts the order is kept as it
// is: a value edited in place does not move its row. The order compares
// text without regard to case, and rows that compare equal keep their
// relative order, so the table never jumps around between reloads.
#pragma once

#include "config/CvarDumpParser.h"

#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

class CvarList {
public:
    // Replaces all rows and sorts once.
    void load(std::vector<CvarRow> rows);
    // A click on column `column` (1-based, as the header reports it).
    // Returns where the row at `follow` went (-1 stays -1), so a selection
    // can go with its row.
    int columnClick(int column, int follow = -1);
    // The first row, in display order, whose key begins with `prefix`
    // without regard to case; -1 when there is none.
    int find(std::string_view prefix) const;
    void setValue(int index, std::string value);

    const std::vector<CvarRow>& rows() const { return m_rows; }
    int sortColumn() const { return m_sortColumn; } // 0-based
    bool ascending() const { return m_ascending; }
    // 1-based; 0 before the first click.
    int LastSortColumn() const { return m_lastSortColumn; }

private:
    int sortOnce(int follow = -1);

    std::vector<CvarRow> m_rows;
    int m_sortColumn = 0;
    bool m_ascending = true;
    int m_lastSortColumn = 0;
};

} // namespace ravelin
