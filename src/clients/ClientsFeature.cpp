#include "clients/ClientsFeature.h"

namespace ravelin {

ClientsFeature::ClientsFeature(ClientsServices services, const bool& unloading)
    : m_services(std::move(services)), m_unloading(unloading),
      m_query(m_services.bridge, m_services.probe, m_services.socket), m_roster(m_services.bridge, m_query),
      m_admin(m_services.bridge, m_services.dialogs, m_roster,
              m_services.clock ? *m_services.clock : static_cast<WallClock&>(m_systemClock), unloading)
{
    // Replies keep arriving and are merged while monitoring is off too.
    m_query.setOnReply([this] { m_roster.mergeStatusReply(); });
}

void ClientsFeature::setRosterView(RosterView* view)
{
    m_roster.setView(view);
    m_admin.setRosterView(view);
}

void ClientsFeature::tmrClient_Timer()
{
    if (m_unloading)
        return;
    if (m_ticks > 10) {
        UpdateServerPort();
        m_ticks = 1;
    }
    if (m_unloading)
        return;
    m_roster.UpdateClients();
    ++m_ticks;
}

void ClientsFeature::UpdateServerPort()
{
    m_query.UpdateServerPort();
    // The server is on this machine; its port tells it from the others.
    if (!m_services.dataFolder.empty() && m_query.ServerPort() > 0)
        m_admin.bans().open(m_services.dataFolder, "localhost", m_query.ServerPort());
}

void ClientsFeature::serverRestarted()
{
    m_roster.clear();
    UpdateServerPort();
}

void ClientsFeature::chkClient_Click(bool checked)
{
    if (m_services.setMonitorTimer)
        m_services.setMonitorTimer(checked);
    if (checked)
        m_roster.UpdateClients();
}

} // namespace ravelin
