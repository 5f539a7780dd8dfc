// A main window over a console on the simulated desktop, with the real Qt
// message loop (so timers tick inside the bridge's yields, as in the
// program) and a private application folder.
#pragma once

#include "QtTestApp.h"
#include "SessionFixture.h"
#include "mainwindow/FrmMain.h"
#include "platform/qt/QtMessageLoop.h"

#include <QTimer>

#include <memory>
#include <optional>

namespace ravelin::test {

struct MainWindowTest : testing::Test {
    sim::SimDesktop desktop;
    QtMessageLoop loop;
    ConsoleBridge bridge{desktop, loop};
    CvarProbe probe{bridge};
    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;
    TempDir appFolder{"ravelin-app"};
    sim::SimConsole* console = nullptr;
    std::unique_ptr<FrmMain> window;

    void SetUp() override
    {
        console = &desktop.addConsole();
        console->setServer(answerAsQuake3);
        bridge.setSelectedConsole(console->handle());
    }

    void TearDown() override
    {
        if (window)
            window->unload();
        window.reset();
    }

    MainServices services() { return MainServices{bridge, probe, settings, dialogs, appFolder.path()}; }

    FrmMain& makeWindow(std::optional<MainServices> s = {})
    {
        window = std::make_unique<FrmMain>(s ? std::move(*s) : services());
        return *window;
    }

    // Loaded, shown and activated once.
    FrmMain& openWindow(std::optional<MainServices> s = {})
    {
        FrmMain& w = makeWindow(std::move(s));
        w.load();
        w.show();
        EXPECT_TRUE(waitForQt([&] { return w.activations() == 1; }));
        return w;
    }

    QTimer* timer(const char* name) { return window->findChild<QTimer*>(name); }
    template <typename T>
    T* child(const QString& name)
    {
        return test::child<T>(window.get(), name);
    }
};

} // namespace ravelin::test
