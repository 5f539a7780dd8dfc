// Bans that last and hold from the moment a player connects. It keeps the
// server's ban list (BanList, on disk), mirrors its names into cBanned for
// scripts (a name a script adds becomes a lasting ban too), learns each
// slot's name, address and key from the console lines the pump hands it,
// and kicks a banned player as soon as one of them matches: on the
// connect and settings lines themselves, or on the `dumpuser` answer it
// asks for when address or key bans need the address.
//
// Where the engine keeps an address ban list of its own (`banaddr`,
// `bandel`, `listbans`: the ioq3 engine), address bans are put there too,
// so the engine refuses the player before a slot is given; after each map
// load the engine's list is read back and what is missing is added again.
#pragma once

#include "clients/BanList.h"
#include "clients/BannedCollection.h"
#include "console/ConsoleBridge.h"
#include "platform/WallClock.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace ravelin {

class LastingBans {
public:
    static constexpr const char* kUserInfoBegin = "START_USER_INFO";
    static constexpr const char* kUserInfoEnd = "END_USER_INFO";

    // What is known of the player in a slot since its connect lines.
    struct SlotPlayer {
        std::string name; // as the player set it (colour codes kept)
        std::string address;
        std::string key;
        bool kicked = false;
        bool dumpAsked = false;
        bool fresh = false; // connected since it was last seen, name not yet told
    };
    // Whether the engine keeps an address ban list of its own.
    enum class EngineList { Unknown, Present, Absent };

    LastingBans(ConsoleBridge& bridge, BannedCollection& banned, WallClock& clock, const bool& unloading);

    // The debug box (expiries, unreadable files, what was refused).
    void setDebugPrint(std::function<void(const std::string&)> print) { m_debug = std::move(print); }
    // Runs after every change of the list (the page shows it again).
    void setOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }
    // A banned player was kicked: their name and the ban.
    void setOnKick(std::function<void(const std::string&, const std::string&)> onKick) { m_onKick = std::move(onKick); }
    // A player new to its slot told their name.
    void setOnJoin(std::function<void(const std::string&)> onJoin) { m_onJoin = std::move(onJoin); }

    // Reads the bans of the server at host:port from `dataFolder`; bans
    // added before (with no server known) are kept and written there. Asks
    // the engine for its own list. Opening the same file again does nothing.
    void open(const std::filesystem::path& dataFolder, const std::string& host, int port);

    // A console line as the pump hands it over; true when it sent anything
    // (a send yields).
    bool lineSeen(const std::string& line);

    // A ban of the player in this roster row: the name field, and the
    // address and key known for the slot (asked for when not yet known).
    // `seconds` 0 for permanent. Returns the ban's id.
    std::uint64_t banPlayer(const std::string& slotField, const std::string& nameField, const std::string& reason,
                            std::int64_t seconds);
    // A ban made whole elsewhere (a script, a test); its address goes to
    // the engine's list too.
    std::uint64_t addBan(Ban ban);
    bool unban(std::uint64_t id);
    bool changeDuration(std::uint64_t id, std::int64_t seconds);
    // The ban sweep's part: bans whose time ran out are lifted and said in
    // the debug box; connected players a ban names by address or key are
    // kicked.
    void sweep();
    // The reason of the ban behind cBanned's entry `index` (from 0).
    std::string reasonOfEntry(int index) const;

    // The text said into the game when a banned player is thrown out.
    static std::string kickLine(int slot, const std::string& nameField, const std::string& reason);

    BanList& list() { return m_list; }
    std::int64_t now() { return m_clock.unixSeconds(); }
    const std::map<int, SlotPlayer>& players() const { return m_slots; }
    EngineList engineList() const { return m_engineList; }
    const std::set<std::string>& engineAddresses() const { return m_engineAddresses; }

private:
    void addFromScript(const std::string& entry);
    void changed(bool byOperator);
    void mirror();
    void check(int slot);
    void requestDump(int slot);
    void userInfoDone();
    void engineBansDone();
    void askEngineBans();
    void engineAdd(const std::string& address);
    void engineRemove(const std::string& address);
    void debug(const std::string& text);
    void send(const std::string& command);

    ConsoleBridge& m_bridge;
    BannedCollection& m_banned;
    WallClock& m_clock;
    const bool& m_unloading;
    std::function<void(const std::string&)> m_debug;
    std::function<void(const std::string&, const std::string&)> m_onKick;
    std::function<void(const std::string&)> m_onJoin;
    std::function<void()> m_onChange;
    BanList m_list;
    std::filesystem::path m_openFile;
    // Ban id of each cBanned entry.
    std::vector<std::uint64_t> m_entryIds;
    std::map<int, SlotPlayer> m_slots;
    // Slots whose dumpuser answer is awaited, in the order asked.
    std::deque<int> m_dumpQueue;
    // Bans that wait for a slot's address and key.
    std::multimap<int, std::uint64_t> m_waitingForDump;
    bool m_inUserInfo = false;
    std::vector<std::pair<std::string, std::string>> m_userInfo;
    std::vector<std::string> m_engineBanLines;
    EngineList m_engineList = EngineList::Unknown;
    std::set<std::string> m_engineAddresses;
    bool m_sent = false;
};

} // namespace ravelin
