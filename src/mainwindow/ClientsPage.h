// The clients page's controls: the monitoring switch, the roster list in the
// fixed-pitch font under its column header, the Update IDs, Kick and Ban
// buttons, and the section of lasting bans below the roster. The rows themselves live in the roster logic; the list shows
// them with each TAB opened up to the header's next column.
#pragma once

#include "clients/ClientsFeature.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace ravelin {

class BansSection;

class ClientsPage final : public QWidget, public RosterView {
public:
    static constexpr const char* kHeader = "ID     FRAGS  PING   NAME";

    ClientsPage(ClientsFeature& clients, QWidget* page);

    // A roster row as the list shows it: every field but the last padded to
    // the header's seven-character columns.
    static QString shownRow(const std::string& row);

    void rosterAppended(const std::string& row) override;
    void rosterChanged(int index, const std::string& row) override;
    void rosterRemoved(int index) override;
    int selectedClient() const override;

private:
    ClientsFeature& m_clients;
    QCheckBox* m_chkClient;
    QPushButton* m_cmdCIDUpdate;
    QLabel* m_label22; // the roster's column header, "ID     FRAGS  PING   NAME"
    QListWidget* m_lstClients;
    QPushButton* m_cmdKickClient;
    QPushButton* m_cmdBan;
    BansSection* m_bans;
};

} // namespace ravelin
