#include "mainwindow/CvarsPage.h"

#include "mainwindow/FrmSetVar.h"
#include "platform/qt/QtText.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

namespace ravelin {

CvarsPage::CvarsPage(CvarTable& table, QWidget* page) : QWidget(page), m_table(table)
{
    setObjectName("cvarsPage");
    setGeometry(0, 32, page->width(), page->height() - 32);

    auto* hint = new QLabel("(double-click to assign a value, type to search)", this);
    hint->setObjectName("lblCvarsHint");
    hint->setGeometry(12, 0, width() - 24, 20);

    m_lvCVars = new QTreeWidget(this);
    m_lvCVars->setObjectName("lvCVars");
    m_lvCVars->setAccessibleName("Server Variables");
    m_lvCVars->setGeometry(12, 24, width() - 24, height() - 36);
    m_lvCVars->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_lvCVars->setColumnCount(3);
    m_lvCVars->setHeaderLabels({"Key", "Value", "Flags"});
    m_lvCVars->setRootIsDecorated(false);
    m_lvCVars->setUniformRowHeights(true);
    m_lvCVars->setAllColumnsShowFocus(true);
    m_lvCVars->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvCVars->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The logic orders the rows once per reload or click; the view never
    // re-sorts by itself.
    m_lvCVars->setSortingEnabled(false);
    m_lvCVars->setColumnWidth(0, 260);
    m_lvCVars->header()->setSectionsClickable(true);
    m_lvCVars->header()->setSortIndicatorShown(true);
    m_lvCVars->header()->setSortIndicator(0, Qt::AscendingOrder);
    m_lvCVars->installEventFilter(this);
    connect(m_lvCVars->header(), &QHeaderView::sectionClicked, this,
            [this](int logical) { m_table.lvCVars_ColumnClick(logical + 1); });
    connect(m_lvCVars, &QTreeWidget::itemDoubleClicked, this, [this] { m_table.lvCVars_DblClick(); });

    m_txtFind = new QLineEdit(this);
    m_txtFind->setObjectName("txtFind");
    m_txtFind->setAccessibleName("Search");
    m_txtFind->setGeometry(width() - 232, 0, 220, 22);
    m_txtFind->hide();
    m_txtFind->installEventFilter(this);

    m_tmrCvarDump = new QTimer(this);
    m_tmrCvarDump->setObjectName("tmrCvarDump");
    m_tmrCvarDump->setInterval(CvarTable::kPollMs);
    connect(m_tmrCvarDump, &QTimer::timeout, this, [this] { m_table.tmrCvarDump_Timer(); });

    m_table.setView(this);
}

// The session (and its table) is gone by the time the window's children
// are deleted, so only the pointer is put back here.
CvarsPage::~CvarsPage() = default;

bool CvarsPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lvCVars && event->type() == QEvent::KeyPress) {
        // A printable character starts a search; other keys move in the table.
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        const char c = typed.size() == 1 ? typed[0].toLatin1() : 0;
        if (static_cast<unsigned char>(c) >= 32 && c != 127) {
            m_table.lvCVars_KeyPress(c);
            return true;
        }
    } else if (watched == m_txtFind) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_table.txtFind_Enter(latin1Bytes(m_txtFind->text()));
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && m_txtFind->isVisible()) {
            m_table.txtFind_LostFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CvarsPage::showRows(const std::vector<CvarRow>& rows)
{
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const CvarRow& row : rows)
        items.append(new QTreeWidgetItem(QStringList{latin1(row.key), latin1(row.value), latin1(row.flags)}));
    m_lvCVars->setUpdatesEnabled(false);
    m_lvCVars->clear();
    m_lvCVars->addTopLevelItems(items);
    m_lvCVars->setUpdatesEnabled(true);
}

void CvarsPage::showSortOrder(int column, bool ascending)
{
    m_lvCVars->header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CvarsPage::showRowValue(int index, const std::string& value)
{
    if (QTreeWidgetItem* item = m_lvCVars->topLevelItem(index))
        item->setText(1, latin1(value));
}

void CvarsPage::selectRow(int index)
{
    QTreeWidgetItem* item = m_lvCVars->topLevelItem(index);
    if (!item)
        return;
    m_lvCVars->setCurrentItem(item);
    item->setSelected(true);
    m_lvCVars->scrollToItem(item);
}

int CvarsPage::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = m_lvCVars->selectedItems();
    return selected.isEmpty() ? -1 : m_lvCVars->indexOfTopLevelItem(selected.first());
}

void CvarsPage::showSearch(const std::string& text)
{
    m_txtFind->setText(latin1(text));
    m_txtFind->show();
    m_txtFind->raise();
    m_txtFind->setFocus();
    m_txtFind->end(false);
}

void CvarsPage::hideSearch(bool focusTable)
{
    m_txtFind->hide();
    if (focusTable)
        m_lvCVars->setFocus();
}

void CvarsPage::setBusy(bool busy)
{
    if (!busy)
        m_hourglass.reset();
    else if (!m_hourglass)
        m_hourglass.emplace();
}

void CvarsPage::setDumpTimerEnabled(bool enabled)
{
    if (enabled)
        m_tmrCvarDump->start();
    else
        m_tmrCvarDump->stop();
}

void CvarsPage::showSetVar(SetVarForm& form)
{
    FrmSetVar dialog(form, window());
    dialog.exec();
}

} // namespace ravelin
