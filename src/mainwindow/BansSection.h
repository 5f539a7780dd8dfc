// The clients page's ban section: the lasting bans (name, address, key,
// reason, when each ends) with Unban and Change Duration. The list is drawn
// again from the ban logic after every change; the buttons hand the
// selected ban's id to the logic, which asks and answers through Dialogs.
#pragma once

#include "clients/ClientsFeature.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace ravelin {

class BansSection final : public QWidget {
public:
    BansSection(ClientsFeature& clients, QWidget* parent);

    // Shows the bans as they are now.
    void refresh();
    // The id of the selected ban, 0 when none is.
    std::uint64_t selectedBan() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ClientsFeature& m_clients;
    QLabel* m_lblBans;
    QTreeWidget* m_lvBans;
    QPushButton* m_cmdUnban;
    QPushButton* m_cmdBanDuration;
};

} // namespace ravelin
