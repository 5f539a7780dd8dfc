// The players feature on the simulated desktop with a simulated UDP socket:
// replies are handed in as datagrams, commands read back from the console.
#pragma once

#include <optional>

#include "clients/ClientsFeature.h"
#include "platform/sim/ManualWallClock.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimServices.h"
#include "platform/sim/SimUdpSocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ravelin::test {

// lstClients as plain rows; the test picks the selection.
struct RecordingRosterView : RosterView {
    std::vector<std::string> rows;
    int selected = -1;
    void rosterAppended(const std::string& row) override { rows.push_back(row); }
    void rosterChanged(int index, const std::string& row) override { rows.at(static_cast<std::size_t>(index)) = row; }
    void rosterRemoved(int index) override { rows.erase(rows.begin() + index); }
    int selectedClient() const override { return selected; }
};

struct RecordingFilterView : FilterView {
    bool checked = false;
    bool optionsEnabled = false;
    int option = 0;
    void setLanguageFilterChecked(bool c) override { checked = c; }
    void setLanguageOptionsEnabled(bool e) override { optionsEnabled = e; }
    int selectedLanguageOption() const override { return option; }
};

// What the ban sweep and the connect check say after the player's name.
inline const std::string kBanText = "^1 you are banned, dont let the door hit you in the ass on the way out...";

inline std::string statusReply(const std::vector<std::string>& players)
{
    std::string reply = std::string("\xff\xff\xff\xffstatusResponse\n", 19) + "\\sv_hostname\\Test\n";
    for (const std::string& p : players)
        reply += p + "\n";
    return reply;
}

inline std::string row(const std::string& slot, const std::string& frags, const std::string& ping,
                       const std::string& name)
{
    return ClientRoster::padded(slot, 3) + "\t" + ClientRoster::padded(frags, 5) + "\t" + ClientRoster::padded(ping, 4)
        + "\t\"" + name + "\"";
}

struct ClientsTest : testing::Test {
    static constexpr int kPort = 27960;

    sim::SimDesktop desktop;
    sim::SimMessageLoop loop;
    ConsoleBridge bridge{desktop, loop};
    CvarProbe probe{bridge};
    sim::ScriptedDialogs dialogs;
    sim::SimUdpSocket socket;
    bool unloading = false;
    bool monitorTimer = false;
    std::string netPort = std::to_string(kPort);
    std::optional<std::vector<std::string>> engineBans;
    sim::SimConsole* console = nullptr;
    RecordingRosterView view;
    RecordingFilterView filter;
    sim::ManualWallClock wallClock;
    ClientsFeature clients{
        ClientsServices{bridge, probe, dialogs, &socket, [this](bool on) { monitorTimer = on; }, &wallClock},
        unloading};

    ClientsTest()
    {
        console = &desktop.addConsole();
        console->setServer([this](sim::SimConsole& c, const std::string& line) {
            if (line == "net_port")
                c.print("\"net_port\" is:\"" + netPort + "\" default:\"27960\"\n");
            // The engine's own address ban list; none (1.32) unless a test gives one.
            if (line == "listbans") {
                if (!engineBans)
                    c.print("Unknown command \"listbans\"\n");
                for (const std::string& ban : engineBans.value_or(std::vector<std::string>{}))
                    c.print(ban + "\n");
            }
        });
        bridge.setSelectedConsole(console->handle());
        clients.setRosterView(&view);
        clients.setFilterView(&filter);
        clients.query().setServerPort(kPort);
    }

    void reply(const std::vector<std::string>& players) { socket.deliver(statusReply(players), kPort); }
    const std::vector<std::string>& rows() { return clients.roster().rows(); }
    const std::vector<std::string>& entered() const { return console->entered(); }
    int count(const std::string& command) const
    {
        return static_cast<int>(std::count(entered().begin(), entered().end(), command));
    }
    // Lines entered since the last markNow().
    std::size_t mark = 0;
    void markNow() { mark = entered().size(); }
    std::vector<std::string> newLines() const
    {
        return std::vector<std::string>(entered().begin() + static_cast<std::ptrdiff_t>(mark), entered().end());
    }
    // STATUS tables asked for (they run for their output alone).
    int statusRequests() const { return count("STATUS"); }
    // Ban Selected with its two questions answered (permanent by default).
    void ban(const std::string& reason = {}, const std::string& duration = "permanent")
    {
        dialogs.queuePrompt(reason);
        dialogs.queuePrompt(duration);
        clients.admin().cmdBan_Click();
    }
    // A console line as the pump hands it over.
    void line(const std::string& text) { clients.lineSeen(text); }
};

} // namespace ravelin::test
