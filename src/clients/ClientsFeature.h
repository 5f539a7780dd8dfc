// The players feature as the main window's session holds it: the status
// query, the roster, kicks, bans and the language filter, the work of the
// client-monitor and ban-sweep timers, and the operations scripts reach.
#pragma once

#include "clients/ClientAdmin.h"
#include "clients/ClientRoster.h"
#include "clients/StatusQuery.h"
#include "console/CvarProbe.h"
#include "platform/Dialogs.h"
#include "platform/UdpSocket.h"
#include "platform/WallClock.h"
#include "scripting/OperationTable.h"

#include <cstdint>
#include <filesystem>
#include <functional>

namespace ravelin {

struct ClientsServices {
    ConsoleBridge& bridge;
    CvarProbe& probe;
    Dialogs& dialogs;
    // wsClient; none in some tests.
    UdpSocket* socket = nullptr;
    // Switches tmrClient on or off.
    std::function<void(bool)> setMonitorTimer;
    // The calendar clock bans are kept in; the system's when none is given.
    WallClock* clock = nullptr;
    // Ravelin's data folder (the ban lists live in its bans/); none in some
    // tests, which then keep their bans in memory.
    std::filesystem::path dataFolder = {};
};

class ClientsFeature {
public:
    // `unloading` is the main window's closing flag.
    ClientsFeature(ClientsServices services, const bool& unloading);
    ClientsFeature(const ClientsFeature&) = delete;
    ClientsFeature& operator=(const ClientsFeature&) = delete;

    void setRosterView(RosterView* view);
    void setFilterView(FilterView* view) { m_admin.setFilterView(view); }

    // The client-monitor tick: the port refreshed on the 12th tick and every
    // 10th after it (counting every tick since the window was created), then
    // a reconciliation pass.
    void tmrClient_Timer();
    void tmrBanned_Timer() { m_admin.sweep(); }
    void chkClient_Click(bool checked);
    void cmdCIDUpdate_Click() { m_roster.UpdateClientID(); }
    // Reads the port again; the bans of the server on it are then loaded.
    void UpdateServerPort();
    // The server was started again: its players are gone and its port may
    // have changed; the rows fill again from the next passes.
    void serverRestarted();
    // A console line, handed over by the pump: connect lines are checked
    // against the bans. True when it sent a command.
    bool lineSeen(const std::string& line) { return m_admin.bans().lineSeen(line); }

    // ServerPort, UpdateServerPort, UpdateClients, UpdateClientID,
    // ClientCount, AddClient, RemoveClient, DumpUser, cBanned and
    // CHAT_FILTER_MODE.
    void registerOperations(OperationTable& table);

    StatusQuery& query() { return m_query; }
    ClientRoster& roster() { return m_roster; }
    ClientAdmin& admin() { return m_admin; }
    int16_t tickCounter() const { return m_ticks; }

private:
    ClientsServices m_services;
    const bool& m_unloading;
    SystemWallClock m_systemClock;
    StatusQuery m_query;
    ClientRoster m_roster;
    ClientAdmin m_admin;
    int16_t m_ticks = 0;
};

} // namespace ravelin
