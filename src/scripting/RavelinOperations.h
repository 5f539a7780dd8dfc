// The main window's public operations as scripts see them. The main window
// implements this interface; RavelinObject exposes it to the engine under the
// name "Ravelin", with every member also reachable by its bare name.
#pragma once

#include <string>

namespace ravelin {

class RavelinOperations {
public:
    virtual ~RavelinOperations() = default;

    // Sends a command line to the server console in use.
    virtual void ConsoleOut(const std::string& strData) = 0;
    // Appends a line to the debug box.
    virtual void DebugPrint(const std::string& strText) = 0;
    // Reloads every script.
    virtual void InitScripts() = 0;
    // The machine's name.
    virtual std::string sGetComputerName() = 0;
};

} // namespace ravelin
