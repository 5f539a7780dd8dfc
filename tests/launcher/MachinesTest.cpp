// Machine names as the operator types them, checked before they become ssh
// arguments, and the machine list kept in the settings.
#include "launcher/Machines.h"
#include "platform/ipc/RelayLink.h"
#include "platform/sim/SimServices.h"

#include <gtest/gtest.h>

using namespace ravelin;

namespace {

struct MachineCase {
    const char* typed;
    const char* target; // nullptr: refused
    int port;
    const char* why; // part of the refusal
};

} // namespace

TEST(MachinesTest, NamesAreCheckedBeforeTheyBecomeSshArguments)
{
    const MachineCase cases[] = {
        {"admin@game1.example.org", "admin@game1.example.org", 0, ""},
        {"admin@10.0.0.7:2222", "admin@10.0.0.7", 2222, ""},
        {"frag-box", "frag-box", 0, ""},
        {"-oProxyCommand=sh", nullptr, 0, "starts with \"-\""},
        {"admin@-host", nullptr, 0, "starts with \"-\""},
        {"admin@game 1", nullptr, 0, "holds a blank"},
        {"ad min@host", nullptr, 0, "holds a blank"},
        {"admin@host;reboot", nullptr, 0, "holds \";\""},
        {"$(id)@host", nullptr, 0, "holds \"$\""},
        {"admin@host:0", nullptr, 0, "not between 1 and 65535"},
        {"admin@", nullptr, 0, "host name is missing"},
    };
    for (const MachineCase& c : cases) {
        std::string error;
        auto entry = parseMachine(c.typed, error);
        if (!c.target) {
            EXPECT_FALSE(entry) << c.typed;
            EXPECT_NE(error.find(c.why), std::string::npos) << c.typed << ": " << error;
            continue;
        }
        ASSERT_TRUE(entry) << c.typed << ": " << error;
        EXPECT_EQ(entry->target, c.target);
        EXPECT_EQ(entry->port, c.port);
        EXPECT_EQ(entry->name(), c.typed);
    }
    std::string error;
    EXPECT_FALSE(validIdentity("-i/etc/x", error));
}

TEST(MachinesTest, ListSurvivesTheSettingsAndRemovalLeavesNoGap)
{
    sim::MemorySettings settings;
    std::string error;
    for (const char* typed : {"a@one", "b@two:2200", "three"})
        storeMachine(settings, *parseMachine(typed, error));
    auto withKey = *parseMachine("b@two:2200", error);
    withKey.identity = "/home/b/.ssh/id_game";
    storeMachine(settings, withKey);
    auto machines = loadMachines(settings);
    ASSERT_EQ(machines.size(), 3u);
    EXPECT_EQ(machines[1].identity, "/home/b/.ssh/id_game");
    machines.erase(machines.begin());
    saveMachines(settings, machines);
    machines = loadMachines(settings);
    ASSERT_EQ(machines.size(), 2u);
    EXPECT_EQ(machines[0].name(), "b@two:2200");
    // An entry edited by hand into an option is never run.
    settings.saveSetting(kSettingsApp, "Remote", "Machine2", "-oProxyCommand=sh");
    EXPECT_EQ(loadMachines(settings).size(), 1u);
    EXPECT_EQ(ipc::sshRelayCommand("b@two", 2200, "/k", "/cfg"),
              (std::vector<std::string>{"ssh", "-T", "-o", "BatchMode=yes", "-F", "/cfg", "-p", "2200", "-i", "/k",
                                        "--", "b@two", "ravelin-console", "relay"}));
}
