// An interim source of a command's output: types the command into the
// console and collects the lines that arrive after it until the console
// has been quiet for a moment (or the time is up). Lines the server prints
// meanwhile for other reasons (game events) are collected too; the editor
// reads them for what it knows and shows the rest as they are.
//
// It stands in until the console host numbers its lines and can answer a
// command's exact output; the editor page is written against RunCommand and
// takes either.
#pragma once

#include "config/CommandOutput.h"
#include "console/ConsoleBridge.h"

#include <string>

namespace ravelin {

struct CollectTimes {
    int quietMs = 400; // a command is done once the console is this quiet
    int firstLineMs = 3000; // no echo by then: the console did not take it
    int totalMs = 15000; // a command that prints for longer is cut off
};

CommandOutput collectConsoleOutput(ConsoleBridge& bridge, const std::string& command, CollectTimes times = {});

} // namespace ravelin
