// What the roster and the ban and filter logic ask of the window: the
// clients page's list box (lstClients) and the options page's filter
// controls. Either may be missing (a headless session keeps its rows alone).
#pragma once

#include <string>

namespace ravelin {

class RosterView {
public:
    virtual ~RosterView() = default;
    virtual void rosterAppended(const std::string& row) = 0;
    virtual void rosterChanged(int index, const std::string& row) = 0;
    virtual void rosterRemoved(int index) = 0;
    // The selected row, -1 when none is.
    virtual int selectedClient() const = 0;
};

class FilterView {
public:
    virtual ~FilterView() = default;
    // chkLang's tick, set by the logic when the prompt is answered No.
    virtual void setLanguageFilterChecked(bool checked) = 0;
    // frLang and every optLang button.
    virtual void setLanguageOptionsEnabled(bool enabled) = 0;
    // The index of the selected optLang button.
    virtual int selectedLanguageOption() const = 0;
};

} // namespace ravelin
