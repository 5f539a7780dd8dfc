// What the cvar table's logic asks of the cvars page: the table itself
// (rows, sort indicator, selection), the search box, the hourglass, the
// dump's poll timer and the modal "Set Variable" dialog. The page implements
// it with widgets; tests with plain members.
#pragma once

#include "config/CvarDumpParser.h"

#include <string>
#include <vector>

namespace ravelin {

class SetVarForm;

class CvarsView {
public:
    virtual ~CvarsView() = default;
    // Replaces every row, in this order (the view does not sort).
    virtual void showRows(const std::vector<CvarRow>& rows) = 0;
    virtual void showSortOrder(int column, bool ascending) = 0;
    virtual void showRowValue(int index, const std::string& value) = 0;
    virtual void selectRow(int index) = 0;
    // -1 when no row is selected.
    virtual int selectedRow() const = 0;
    // The search box with `text`, caret after it, focused.
    virtual void showSearch(const std::string& text) = 0;
    // Hides the search box; the table gets the focus back when asked.
    virtual void hideSearch(bool focusTable) = 0;
    virtual void setBusy(bool busy) = 0;
    virtual void setDumpTimerEnabled(bool enabled) = 0;
    // Shows frmSetVar modally, owned by the main window.
    virtual void showSetVar(SetVarForm& form) = 0;
};

} // namespace ravelin
