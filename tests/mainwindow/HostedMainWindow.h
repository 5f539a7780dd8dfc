// A main window connected to a real console host: ravelin-console running
// q3sim in the test's private runtime folder, reached over the program's own
// window manager.
#pragma once

#include "QtTestApp.h"
#include "integration/ConsoleHostProcess.h"
#include "mainwindow/FrmMain.h"
#include "platform/ipc/IpcWindowManager.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/sim/SimServices.h"
#include "support/TestEnvironment.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ravelin::test {

struct HostedMainWindowTest : testing::Test {
    ConsoleHostProcess host;
    ipc::IpcWindowManager windows;
    QtMessageLoop loop;
    ConsoleBridge bridge{windows, loop};
    CvarProbe probe{bridge};
    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;
    TempDir appFolder{"ravelin-app"};
    std::unique_ptr<FrmMain> window;
    // The server's command line, as the program reads it (+exec files).
    std::function<std::vector<std::string>()> serverArguments;
    // wsClient, the machine's memory figures and the calendar clock; none by
    // default.
    UdpSocket* udp = nullptr;
    MemoryInfo* memory = nullptr;
    WallClock* wallClock = nullptr;

    // Starts q3sim with these arguments, waits for its banner, then loads
    // and shows the main window on it.
    void startServerAndWindow(const std::vector<std::string>& q3simArguments)
    {
        ASSERT_TRUE(host.startQ3sim(q3simArguments));
        ASSERT_TRUE(host.process().running()) << host.logText();
        bridge.setSelectedConsole(host.handle());
        ASSERT_TRUE(
            waitForQt([&] { return bridge.ReadConsoleOutput().find("Opening IP socket") != std::string::npos; }));
        openWindow();
        // The first activation ends by reading the server's port through the
        // probe and opening the statistics named after it.
        ASSERT_TRUE(waitForQt([&] { return window->session().statistics().opened(); })) << serverOutput();
    }

    // Loads and shows the main window on the console in `host`.
    void openWindow()
    {
        bridge.setSelectedConsole(host.handle());
        MainServices services{bridge, probe, settings, dialogs, appFolder.path()};
        services.serverArguments = serverArguments;
        services.udp = udp;
        services.memory = memory;
        services.wallClock = wallClock;
        window = std::make_unique<FrmMain>(std::move(services));
        window->load();
        window->show();
    }

    void TearDown() override
    {
        if (window)
            window->unload();
        window.reset();
        host.process().stop();
    }

    std::string serverOutput() { return bridge.ReadConsoleOutput(); }

    // The roster row showing this player (-1: none), and the slot it shows
    // (-1 while none is known).
    int rosterIndex(const std::string& name)
    {
        const auto& rows = window->session().clients().roster().rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].size() > name.size() + 2 && rows[i].ends_with("\"" + name + "\""))
                return static_cast<int>(i);
        return -1;
    }
    int rosterSlot(const std::string& name)
    {
        const int i = rosterIndex(name);
        const std::string row = i < 0 ? " " : window->session().clients().roster().rows()[std::size_t(i)];
        return row[0] == ' ' ? -1 : std::stoi(row.substr(0, 3));
    }
};

} // namespace ravelin::test
