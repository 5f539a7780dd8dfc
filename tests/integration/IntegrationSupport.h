// What the integration tests share: a window manager and bridge over the
// test's own endpoint folder, and waits on console output.
#pragma once

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "integration/ConsoleHostProcess.h"
#include "platform/ipc/IpcWindowManager.h"
#include "support/TestEnvironment.h"
#include "support/UdpQuery.h"

#include <gtest/gtest.h>

#include <atomic>
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

} // namespace ravelin::test
