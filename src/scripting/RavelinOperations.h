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
    // Runs a command line on the console in use for its output alone and
    // returns what the server printed for it, each line ending in CR LF
    // (empty when the console is gone or did not answer in time; the debug
    // box then says why). Neither the command nor its output reaches the
    // console page or the scripts' own procedures.
    virtual std::string ConsoleExec(const std::string& strCommand) = 0;
    // Appends a line to the debug box.
    virtual void DebugPrint(const std::string& strText) = 0;
    // Reloads every script.
    virtual void InitScripts() = 0;
    // The machine's name.
    virtual std::string sGetComputerName() = 0;
};

} // namespace ravelin
