// The player roster: one row per player, "slot<TAB>frags<TAB>ping<TAB>name"
// with the slot three wide (blank while unknown), frags five, ping four and
// the quoted name key. Rows are merged from the status reply (frags, ping,
// name) and the console's STATUS table (slot), matched by name; they keep
// the order they were added in.
//
// The rows live here and the list box mirrors them. Commands sent to the
// console yield, so a reply merge or a STATUS block can arrive in the middle
// of a pass: every step reads the rows afresh, by index.
#pragma once

#include "clients/ClientsView.h"
#include "clients/StatusQuery.h"
#include "console/ConsoleBridge.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ravelin {

class ClientRoster {
public:
    // What an operator or a script types for a STATUS table the pump catches.
    static constexpr const char* kStatusCommand = "ECHO [BEGIN STATUS];STATUS;ECHO [END STATUS]";
    // A row whose slot stays unknown (a player still connecting) asks again
    // after 1 s, then twice as long each time, up to 30 s.
    static constexpr std::int64_t kFirstRetryMs = 1000;
    static constexpr std::int64_t kMaxRetryMs = 30000;

    ClientRoster(ConsoleBridge& bridge, StatusQuery& query);

    void setView(RosterView* view) { m_view = view; }

    // One reconciliation pass, then a new status query.
    void UpdateClients();
    // The reply just read into StatusPlayers, merged into the rows.
    void mergeStatusReply();
    // Asks the console for a fresh STATUS table; it runs for its output
    // alone (nothing reaches the console page or the scripts) and its slots
    // go to the rows at once.
    void UpdateClientID();
    // Slot numbers from a captured STATUS block.
    void ParseStatusBlock(const std::string& block);

    int16_t ClientCount() const { return static_cast<int16_t>(m_rows.size()); }
    void AddClient(const std::string& xClient);
    void RemoveClient(double clientId);
    void DumpUser(const std::string& uid);
    // Every row goes (the server was started again: nobody is on it yet).
    void clear();

    const std::vector<std::string>& rows() const { return m_rows; }
    // The row's fields split at TAB.
    static std::vector<std::string> fieldsOf(const std::string& row);
    // Text padded with blanks to `width`, cut to it.
    static std::string padded(std::string_view text, std::size_t width);

private:
    void setRow(std::size_t index, std::string row);
    void appendRow(std::string row);
    void removeRow(std::size_t index);

    ConsoleBridge& m_bridge;
    StatusQuery& m_query;
    RosterView* m_view = nullptr;
    std::vector<std::string> m_rows;
    std::int64_t m_retryMs = kFirstRetryMs;
    std::int64_t m_nextRetryAt = 0;
};

} // namespace ravelin
