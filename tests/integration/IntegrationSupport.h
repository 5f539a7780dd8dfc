// What the integration tests share: a window manager and bridge over the
// test's own endpoint folder, waits on console output, and Ravelin's side of
// a far machine.
#pragma once

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "integration/ConsoleHostProcess.h"
#include "platform/ipc/IpcWindowManager.h"
#include "platform/ipc/MachineWindowManager.h"
#include "support/TestEnvironment.h"
#include "support/UdpQuery.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace ravelin::test {

// A real process needs a moment to answer: each yield waits a little, and
// the probe's pauses sleep.
class SleepingLoop final : public MessageLoop {
public:
    void yield() override { std::this_thread::sleep_for(std::chrono::microseconds(300)); }
    void pause(std::chrono::milliseconds most) override { std::this_thread::sleep_for(most); }
};

struct ConsoleFixture : testing::Test {
    ipc::IpcWindowManager windows;
    SleepingLoop loop;
    ConsoleBridge bridge{windows, loop};
    CvarProbe probe{bridge};

    std::string output(WindowHandle console) { return bridge.ReadConsoleOutputOf(console); }

    bool waitForOutput(WindowHandle console, const std::string& needle,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        return waitFor([&] { return output(console).find(needle) != std::string::npos; }, timeout);
    }

    // q3sim in `host` on a port of its own, once it has opened its socket.
    void startQ3sim(ConsoleHostProcess& host, std::vector<std::string> args = {})
    {
        args.insert(args.begin(), {"+set", "net_port", "0"});
        ASSERT_TRUE(host.startQ3sim(args)) << host.logText();
        ASSERT_TRUE(waitForOutput(host.handle(), "Opening IP socket"));
    }
};

// Another client saying "say chatter N" into `console` over and over, from
// its own connection, until it goes.
class Chatter {
public:
    explicit Chatter(WindowHandle console)
        : m_thread([this, console] {
              ipc::IpcWindowManager windows;
              NullMessageLoop loop;
              ConsoleBridge bridge(windows, loop);
              for (int i = 0; m_talking; ++i)
                  bridge.SendConsoleCommandTo("say chatter " + std::to_string(i), console);
          })
    {}
    ~Chatter()
    {
        m_talking = false;
        m_thread.join();
    }

private:
    std::atomic<bool> m_talking = true;
    std::thread m_thread;
};

// Ravelin's side of one far machine, "far": no local consoles, the machine's
// link (connect() gives the command that reaches its relay), and the bridge
// and probe over them.
struct FarLink {
    TempDir empty{"ravelin-no-consoles"};
    ipc::IpcWindowManager local{empty.path() / "consoles"};
    ipc::MachineWindowManager windows{local};
    SleepingLoop loop;
    ConsoleBridge bridge{windows, loop};
    CvarProbe probe{bridge};

    void connect(const std::vector<std::string>& relay) { windows.addMachine("far", relay); }

    // The machine's first console once the link lists one and `ready` holds
    // (0 when none does in time).
    WindowHandle farConsole(std::chrono::milliseconds timeout = std::chrono::seconds(15),
                            const std::function<bool(WindowHandle)>& ready = {})
    {
        WindowHandle console = 0;
        auto found = [&] {
            auto consoles = windows.consolesOf("far");
            console = consoles.empty() ? 0 : consoles.front();
            return console > 0 && (!ready || ready(console));
        };
        return waitFor(found, timeout) ? console : 0;
    }

    // Waits with the links polled, as the program's timer polls them.
    bool pollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        return waitFor([&] { return windows.pollMachines(), done(); }, timeout);
    }

    // The UDP status reply the far end got for `console` ("" when none).
    std::string statusReply(WindowHandle console)
    {
        // Shared: a reply after the wait must not land in a frame gone.
        auto reply = std::make_shared<std::optional<std::string>>();
        if (windows.queryStatus(console, [reply](const std::string& data) { *reply = data; }))
            pollUntil([&] { return reply->has_value(); });
        return reply->value_or("");
    }

    // The file the far server wrote at `path`, read (and removed) through the link.
    std::optional<std::string> serverDump(WindowHandle console, const std::filesystem::path& path)
    {
        std::optional<std::string> text;
        waitFor([&] { return (text = windows.readServerFile(console, path.string(), true)).has_value(); });
        return text;
    }
};

} // namespace ravelin::test
