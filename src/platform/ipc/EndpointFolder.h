// Where console hosts put their sockets, and the socket plumbing both sides
// share: the private folder (created 0700, refused when another user owns it
// or group/others may enter it), endpoint names that sort in start order and
// carry the host's pid, and bind/connect that cope with socket paths longer
// than a sockaddr_un holds (test folders can be deep).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace ravelin::ipc {

// $XDG_RUNTIME_DIR/ravelin/consoles, or /tmp/ravelin-<uid>/consoles.
std::filesystem::path defaultEndpointFolder();

// Creates the folder (and its parent) with mode 0700 where missing, then
// checks it. Returns an empty string when it is safe to use, else a message
// for the operator.
std::string prepareEndpointFolder(const std::filesystem::path& folder);
// Checks without creating: empty when safe, else why not. A missing folder
// is reported as missing (callers that only read treat that as "no hosts").
std::string checkEndpointFolder(const std::filesystem::path& folder);

struct EndpointName {
    std::uint64_t startNs = 0;
    pid_t pid = 0;
};

std::string makeEndpointName(std::uint64_t startNs, pid_t pid);
std::optional<EndpointName> parseEndpointName(std::string_view name);

// Endpoint names in the folder, sorted (start order).
std::vector<std::string> listEndpoints(const std::filesystem::path& folder);

// A listening socket bound at folder/name (mode 0600), non-blocking; -1 with
// `error` set on failure.
int listenEndpoint(const std::filesystem::path& folder, const std::string& name, std::string& error);

// Starts a connection to folder/name, non-blocking. Returns the socket, or -1
// with errno describing why (ENOENT: no such endpoint; ECONNREFUSED: nobody
// listens there any more).
int connectEndpoint(const std::filesystem::path& folder, const std::string& name);

// The user id of the process at the other end of a connected socket, or -1.
long peerUid(int fd);

} // namespace ravelin::ipc
