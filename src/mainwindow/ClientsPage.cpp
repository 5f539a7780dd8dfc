#include "mainwindow/ClientsPage.h"

#include "platform/qt/QtText.h"
#include "mainwindow/BansSection.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

namespace ravelin {

namespace {

constexpr int kColumn = 7;

} // namespace

QString ClientsPage::shownRow(const std::string& row)
{
    QString shown;
    std::size_t start = 0;
    int column = 0;
    for (;;) {
        const std::size_t tab = row.find('\t', start);
        if (tab == std::string::npos) {
            shown += latin1(std::string_view(row).substr(start));
            return shown;
        }
        shown += latin1(std::string_view(row).substr(start, tab - start));
        column += kColumn;
        // A field longer than its column still gets one blank after it.
        shown = shown.leftJustified(std::max<qsizetype>(column, shown.size() + 1), ' ');
        column = static_cast<int>(shown.size());
        start = tab + 1;
    }
}

ClientsPage::ClientsPage(ClientsFeature& clients, QWidget* page) : QWidget(page), m_clients(clients)
{
    setObjectName("clientsPage");
    // Below the page's title.
    setGeometry(0, 36, page->width(), page->height() - 36);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    m_chkClient = new QCheckBox("Enable Client Monitoring (Requires UDP)", this);
    m_chkClient->setObjectName("chkClient");
    m_chkClient->setAccessibleName(m_chkClient->text());
    m_chkClient->setGeometry(12, 4, 360, 24);
    connect(m_chkClient, &QCheckBox::clicked, this, [this](bool checked) { m_clients.chkClient_Click(checked); });

    m_cmdCIDUpdate = new QPushButton("Update IDs", this);
    m_cmdCIDUpdate->setObjectName("cmdCIDUpdate");
    m_cmdCIDUpdate->setAccessibleName(m_cmdCIDUpdate->text());
    m_cmdCIDUpdate->setGeometry(width() - 132, 2, 120, 28);
    connect(m_cmdCIDUpdate, &QPushButton::clicked, this, [this] { m_clients.cmdCIDUpdate_Click(); });

    m_lstClients = new QListWidget(this);
    m_lstClients->setObjectName("lstClients");
    m_lstClients->setAccessibleName("Clients");
    m_lstClients->setFont(fixed);
    m_lstClients->setSelectionMode(QAbstractItemView::SingleSelection);
    // The roster takes the upper half, the bans the lower.
    const int listHeight = (height() - 108) / 2;
    m_lstClients->setGeometry(12, 60, width() - 24, listHeight);
    m_bans = new BansSection(m_clients, this);
    m_bans->setGeometry(12, 66 + listHeight, width() - 24, height() - 48 - (66 + listHeight));

    // The header stands where the list's text starts, so its columns fall
    // over the rows' columns.
    m_label22 = new QLabel(kHeader, this);
    m_label22->setObjectName("Label22");
    m_label22->setFont(fixed);
    const int textStart = m_lstClients->frameWidth()
        + m_lstClients->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_lstClients) + 1;
    m_label22->setGeometry(12 + textStart, 38, width() - 24 - textStart, 20);

    m_cmdKickClient = new QPushButton("Kick Selected", this);
    m_cmdKickClient->setObjectName("cmdKickClient");
    m_cmdKickClient->setAccessibleName(m_cmdKickClient->text());
    m_cmdKickClient->setGeometry(12, height() - 40, 140, 30);
    connect(m_cmdKickClient, &QPushButton::clicked, this, [this] { m_clients.admin().cmdKickClient_Click(); });

    m_cmdBan = new QPushButton("Ban Selected", this);
    m_cmdBan->setObjectName("cmdBan");
    m_cmdBan->setAccessibleName(m_cmdBan->text());
    m_cmdBan->setGeometry(160, height() - 40, 140, 30);
    connect(m_cmdBan, &QPushButton::clicked, this, [this] { m_clients.admin().cmdBan_Click(); });

    for (const std::string& row : m_clients.roster().rows())
        rosterAppended(row);
    m_clients.setRosterView(this);
}

void ClientsPage::rosterAppended(const std::string& row)
{
    auto* item = new QListWidgetItem(shownRow(row), m_lstClients);
    item->setData(Qt::UserRole, latin1(row));
}

void ClientsPage::rosterChanged(int index, const std::string& row)
{
    if (QListWidgetItem* item = m_lstClients->item(index)) {
        item->setText(shownRow(row));
        item->setData(Qt::UserRole, latin1(row));
    }
}

void ClientsPage::rosterRemoved(int index)
{
    // The selected player leaving leaves nothing selected (the list would
    // move the selection to the next row, and a second Kick would throw
    // out a player nobody chose).
    QListWidgetItem* item = m_lstClients->item(index);
    const bool wasSelected = item && item->isSelected();
    delete m_lstClients->takeItem(index);
    if (wasSelected) {
        m_lstClients->setCurrentItem(nullptr);
        m_lstClients->clearSelection();
    }
}

int ClientsPage::selectedClient() const
{
    const QList<QListWidgetItem*> selected = m_lstClients->selectedItems();
    return selected.isEmpty() ? -1 : m_lstClients->row(selected.front());
}

} // namespace ravelin
