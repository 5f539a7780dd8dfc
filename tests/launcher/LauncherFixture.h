// What the start window's tests share: a simulated desktop whose consoles
// answer the host-name query as Quake III does, the bridge and probe over it,
// and the services the server list is given.
#pragma once

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimServices.h"

#include <gtest/gtest.h>

#include <string>

namespace ravelin::test {

struct LauncherFixture : testing::Test {
    sim::SimDesktop desktop;
    sim::SimMessageLoop loop;
    ConsoleBridge bridge{desktop, loop};
    CvarProbe probe{bridge};
    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;
    sim::FixedHostInfo host;

    // A console that answers "sv_hostname" with `name` and closes on QUIT.
    sim::SimConsole& addServer(const std::string& name)
    {
        sim::SimConsole& console = desktop.addConsole();
        console.setServer([this, name](sim::SimConsole& c, const std::string& line) {
            if (line == "sv_hostname")
                c.print("\"sv_hostname\" is:\"" + name + "\" default:\"noname\"\n");
            else if (line == "QUIT")
                desktop.closeWindow(c.handle());
        });
        return console;
    }

    static std::string keyOf(const sim::SimConsole& console) { return "hwnd" + std::to_string(console.handle()); }
    void setDefault(const std::string& text) { settings.saveSetting("Ravelin", "Launch", "DefaultServer", text); }
    std::string storedDefault() { return settings.getSetting("Ravelin", "Launch", "DefaultServer", "-"); }
};

} // namespace ravelin::test
