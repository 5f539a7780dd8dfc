// Kicks, bans and the language filter switch. Players are named by their
// roster row's name field; every command built from it keeps the player's
// text inside one argument, so a name such as Bob;quit or one with double
// quotes cannot end the argument and start a console command of its own.
#pragma once

#include "clients/BannedCollection.h"
#include "clients/ClientRoster.h"
#include "clients/ClientsView.h"
#include "clients/LastingBans.h"
#include "console/ConsoleBridge.h"
#include "platform/Dialogs.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ravelin {

class ClientAdmin {
public:
    static constexpr const char* kSelectToKick = "Select a user to kick first!";
    static constexpr const char* kSelectToBan = "Select a user to ban first!";
    static constexpr const char* kNoPlayerName =
        "The selected row has no player name (it was added by a script), so nobody can be kicked or banned "
        "by it. Nothing was sent to the server.";
    static constexpr const char* kBanReasonPrompt = "Why is this player banned? (said to the server at each kick)";
    static constexpr const char* kBanDurationPrompt =
        "How long does the ban last? \"permanent\", or a number followed by m (minutes), h (hours) or d (days), "
        "for example 30m, 2h or 7d.";
    static constexpr const char* kBadDuration =
        "That is not a duration. Type \"permanent\", or a number followed by m, h or d (30m, 2h, 7d).";
    static constexpr const char* kSelectBan = "Select a ban in the list first!";
    static constexpr const char* kBanMessage =
        "^1 you are banned, dont let the door hit you in the ass on the way out...";
    static constexpr const char* kFilterTitle = "1st Amendment Violation";
    static constexpr const char* kFilterPrompt =
        "You know that this game is meant for people over the age of 17,\r\n"
        "and that you are liberating these poor people of their basic human\r\n"
        "freedom of speech right?\r\n"
        " \r\n"
        "Are you ok with this?";

    ClientAdmin(ConsoleBridge& bridge, Dialogs& dialogs, ClientRoster& roster, WallClock& clock, const bool& unloading);

    void setRosterView(RosterView* view) { m_rosterView = view; }
    void setFilterView(FilterView* view) { m_filterView = view; }

    void cmdKickClient_Click();
    void cmdBan_Click();
    // Unban and Change Duration on the bans list; `id` 0 when no ban is
    // selected.
    void cmdUnban_Click(std::uint64_t id);
    void cmdBanDuration_Click(std::uint64_t id);
    // The ban sweep (tmrBanned).
    void sweep();
    void chkLang_Click(bool checked);
    void optLang_Click(int index);

    // cBanned: the in-memory ban list; CHAT_FILTER_MODE: the language filter
    // level, -1 when the filter is off.
    BannedCollection& cBanned() { return *m_banned; }
    LastingBans& bans() { return m_bans; }
    // Asks for a duration until one is given; nullopt when cancelled.
    std::optional<std::int64_t> askDuration(const std::string& current);
    vbs::Object* cBannedObject() { return m_banned.get(); }
    int16_t CHAT_FILTER_MODE() const { return m_chatFilterMode; }
    void setChatFilterMode(int16_t mode) { m_chatFilterMode = mode; }

    // The command that kicks the player of this row: "Kick" and the name
    // field; for a name that had to be cleaned, the slot when it is known
    // (the cleaned name would miss the player).
    static std::string kickCommand(const std::string& slotField, const std::string& nameField);
    // The text said into the game before a banned player is kicked.
    static std::string banMessage(const std::string& nameField);

private:
    // The selected row's fields, or empty after telling the operator why not.
    bool selectedRow(const char* noSelection, std::string& slot, std::string& name);

    ConsoleBridge& m_bridge;
    Dialogs& m_dialogs;
    ClientRoster& m_roster;
    const bool& m_unloading;
    RosterView* m_rosterView = nullptr;
    FilterView* m_filterView = nullptr;
    vbs::Ref<BannedCollection> m_banned;
    LastingBans m_bans;
    int16_t m_chatFilterMode = -1;
};

} // namespace ravelin
