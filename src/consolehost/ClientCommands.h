// The command-line client: `ravelin-console list|send|read|cvar|show|hide|
// clear ...`. A second front end over the same window operations Ravelin
// uses (IpcWindowManager, the console bridge and the cvar probe), so what it
// shows is what Ravelin would see. No Qt.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ravelin::consolehost {

bool isClientCommand(const std::string& word);

// Runs one client command (`args` starts with the command word); returns
// the process exit status: 0 done, 1 failed, 2 bad usage.
int runClientCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace ravelin::consolehost
