// Starting a helper program (ssh and its friends) without a shell.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace ravelin::ipc {

// Starts `command` (its first word searched in PATH) in a session of its
// own, so it can never open our terminal to ask for anything. Its standard
// input, output and error are these descriptors, or /dev/null where one is
// -1. Returns 0 with `pid` set, or the errno of the failure.
int spawnInOwnSession(std::vector<std::string>& command, int in, int out, int err, pid_t& pid);

} // namespace ravelin::ipc
