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

TEST(MachinesTest, NamesAreCheckedBeforeTheyBecomeSshArgumentsAndTheListIsKept)
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

    // The list survives the settings; removal leaves no gap.
    sim::MemorySettings settings;
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

// The watch between back-off steps: what each knock's outcome means, on a
// clock of the test's own.
TEST(MachinesTest, KnocksBetweenAttemptsCallSshOnlyWhenThePortComesBack)
{
    using namespace std::chrono_literals;
    struct Step {
        int atMs;
        const char* knock; // "through", "missed", or "" when none is due
        bool tryNow;
    };
    struct Case {
        const char* what;
        bool unreachable; // what the failed ssh attempt found
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"sshd back after a miss",
         false,
         {{0, "missed", false}, {500, "", false}, {1000, "missed", false}, {2000, "through", true}, {3000, "", false}}},
        {"sshd back at once after ssh found it down", true, {{0, "through", true}, {1000, "", false}}},
        {"port up all along (a refused key): one knock, no attempt", false, {{0, "through", false}, {5000, "", false}}},
        {"still down", true, {{0, "missed", false}, {999, "", false}, {1000, "missed", false}}},
    };
    for (const Case& c : cases) {
        ipc::KnockSchedule schedule;
        schedule.restart(c.unreachable);
        const auto start = ipc::KnockSchedule::Clock::time_point{} + 1h;
        for (const Step& step : c.steps) {
            const auto now = start + std::chrono::milliseconds(step.atMs);
            const std::string knock = step.knock;
            ASSERT_EQ(schedule.due(now), !knock.empty()) << c.what << " at " << step.atMs;
            if (knock.empty())
                continue;
            schedule.knocked(now);
            EXPECT_EQ(schedule.answered(knock == "through"), step.tryNow) << c.what << " at " << step.atMs;
        }
    }
    // What `ssh -G` prints: the address, or none through a proxy.
    const auto direct = ipc::parseSshResolved("user root\nhostname 10.0.0.7\nport 2222\nproxycommand none\n");
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->host + ":" + direct->port, "10.0.0.7:2222");
    EXPECT_FALSE(ipc::parseSshResolved("hostname far\nport 22\nproxyjump jump@gate\n"));
    EXPECT_FALSE(ipc::parseSshResolved("hostname far\nport twenty\n"));
    EXPECT_EQ(ipc::sshResolveCommand(ipc::sshRelayCommand("b@two", 2200, "", "/cfg")),
              (std::vector<std::string>{"ssh", "-G", "-T", "-o", "BatchMode=yes", "-F", "/cfg", "-p", "2200", "--",
                                        "b@two"}));
}
