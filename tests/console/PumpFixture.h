// A bridge over the simulated desktop, and a pump wired to a console there,
// with a display that keeps its bytes and hooks that record what they were
// handed.
#pragma once

#include "console/ConsolePump.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ravelin::test {

class StringDisplay final : public ConsoleDisplay {
public:
    std::string text;
    int appends = 0;
    void appendDisplay(std::string_view more) override
    {
        text += more;
        ++appends;
    }
    std::string displayText() const override { return text; }
    void setDisplayText(std::string_view replacement) override { text = std::string(replacement); }
};

// A console bridge over the simulated desktop.
struct SimBridgeTest : testing::Test {
    sim::SimDesktop desktop;
    sim::SimMessageLoop loop;
    ConsoleBridge bridge{desktop, loop};
};

struct PumpTest : SimBridgeTest {
    StringDisplay display;
    bool unloading = false;
    ConsolePump pump{bridge, display, unloading};
    sim::SimConsole* console = nullptr;

    std::vector<std::string> blocks;
    std::vector<std::string> procs;
    std::vector<std::pair<std::string, std::string>> lastCalls;
    std::vector<std::string> debug;

    void SetUp() override
    {
        console = &desktop.addConsole();
        bridge.setSelectedConsole(console->handle());
        pump.hooks().parseStatusBlock = [this](const std::string& block) { blocks.push_back(block); };
        pump.hooks().hasConsoleProc = [this](const std::string& proc) {
            for (const auto& p : procs)
                if (p == proc)
                    return true;
            return false;
        };
        pump.hooks().showLastCall = [this](const std::string& proc, const std::string& data) {
            lastCalls.emplace_back(proc, data);
        };
        pump.hooks().debugPrint = [this](const std::string& text) { debug.push_back(text); };
    }
};

} // namespace ravelin::test
