// UDP over loopback for tests that query a server's port.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <string>

namespace ravelin::test {

// Sends one datagram to 127.0.0.1:port and returns the first reply (empty
// after `timeout`).
std::string udpQuery(int port, const std::string& datagram,
                     std::chrono::milliseconds timeout = std::chrono::seconds(3));

// 127.0.0.1:port, for sockets of any kind.
sockaddr_in loopback(int port);

// A UDP port nobody uses right now.
int freeUdpPort();

} // namespace ravelin::test
