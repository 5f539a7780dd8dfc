// The cvars page's controls: the table lvCVars (name and value in the
// fixed-pitch font), the search box txtFind, the dump's poll timer, and the
// Set Variable dialog it opens. Every event goes to the cvar table's logic
// (CvarTable), which reports back through CvarsView.
#pragma once

#include "config/CvarTable.h"
#include "platform/qt/QtWaitCursor.h"

#include <QWidget>

#include <optional>

class QLineEdit;
class QTimer;
class QTreeWidget;

namespace ravelin {

class CvarsPage final : public QWidget, private CvarsView {
    Q_OBJECT
public:
    // Fills `page` below its title.
    CvarsPage(CvarTable& table, QWidget* page);
    ~CvarsPage() override;

    QTreeWidget* lvCVars() const { return m_lvCVars; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showRows(const std::vector<CvarRow>& rows) override;
    void showSortOrder(int column, bool ascending) override;
    void showRowValue(int index, const std::string& value) override;
    void selectRow(int index) override;
    int selectedRow() const override;
    void showSearch(const std::string& text) override;
    void hideSearch(bool focusTable) override;
    void setBusy(bool busy) override;
    void setDumpTimerEnabled(bool enabled) override;
    void showSetVar(SetVarForm& form) override;

    CvarTable& m_table;
    QTreeWidget* m_lvCVars = nullptr;
    QLineEdit* m_txtFind = nullptr;
    QTimer* m_tmrCvarDump = nullptr;
    std::optional<QtWaitCursor> m_hourglass; // while the server is asked
};

} // namespace ravelin
