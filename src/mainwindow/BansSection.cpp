#include "mainwindow/BansSection.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace ravelin {

namespace {

// Player text as bytes, one character each; control characters shown as
// blanks so a name cannot break the row.
QString shown(std::string_view text)
{
    QString out = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    return out;
}

} // namespace

BansSection::BansSection(ClientsFeature& clients, QWidget* parent) : QWidget(parent), m_clients(clients)
{
    setObjectName("bansSection");
    m_lblBans = new QLabel("Bans", this);
    m_lblBans->setObjectName("lblBans");

    m_lvBans = new QTreeWidget(this);
    m_lvBans->setObjectName("lvBans");
    m_lvBans->setAccessibleName(m_lblBans->text());
    m_lvBans->setRootIsDecorated(false);
    m_lvBans->setHeaderLabels({"Name", "Address", "Key", "Reason", "Ends"});
    m_lvBans->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lblBans->setBuddy(m_lvBans);

    m_cmdUnban = new QPushButton("Unban", this);
    m_cmdUnban->setObjectName("cmdUnban");
    m_cmdUnban->setAccessibleName(m_cmdUnban->text());
    connect(m_cmdUnban, &QPushButton::clicked, this, [this] { m_clients.admin().cmdUnban_Click(selectedBan()); });

    m_cmdBanDuration = new QPushButton("Change Duration", this);
    m_cmdBanDuration->setObjectName("cmdBanDuration");
    m_cmdBanDuration->setAccessibleName(m_cmdBanDuration->text());
    connect(m_cmdBanDuration, &QPushButton::clicked, this,
            [this] { m_clients.admin().cmdBanDuration_Click(selectedBan()); });

    m_clients.admin().bans().setOnChange([this] { refresh(); });
    refresh();
}

void BansSection::refresh()
{
    const std::uint64_t keep = selectedBan();
    m_lvBans->clear();
    const BanList& list = m_clients.admin().bans().list();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Ban& ban = list.bans()[i];
        auto* item = new QTreeWidgetItem(m_lvBans,
                                         {shown(ban.name), shown(ban.address), shown(ban.key), shown(ban.reason),
                                          QString::fromStdString(BanList::endText(ban))});
        item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(list.ids()[i]));
        if (list.ids()[i] == keep)
            item->setSelected(true);
    }
}

std::uint64_t BansSection::selectedBan() const
{
    const QList<QTreeWidgetItem*> selected = m_lvBans->selectedItems();
    return selected.isEmpty() ? 0 : selected.front()->data(0, Qt::UserRole).toULongLong();
}

void BansSection::resizeEvent(QResizeEvent*)
{
    const int buttons = 30;
    m_lblBans->setGeometry(0, 0, width(), 18);
    m_lvBans->setGeometry(0, 20, width(), std::max(40, height() - 24 - buttons));
    m_cmdUnban->setGeometry(0, height() - buttons, 120, buttons);
    m_cmdBanDuration->setGeometry(128, height() - buttons, 150, buttons);
}

} // namespace ravelin
