// A q3sim process on pipes, for tests: write raw bytes to its standard
// input, collect what it prints, and talk to its UDP port on loopback.
#pragma once

#include "support/ChildProcess.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class Q3simProcess {
public:
    // Starts bin/q3sim with `args`, in `workDir` when given.
    explicit Q3simProcess(const std::vector<std::string>& args, const std::filesystem::path& workDir = {});

    // Writes the bytes with one write() call.
    void write(const std::string& bytes) { m_child.write(bytes); }
    void closeInput() { m_child.closeInput(); }

    // Complete lines printed so far.
    std::vector<std::string> lines();
    std::string stderrText();
    bool waitForLine(const std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The port of "Opening IP socket: 0.0.0.0:PORT"; 0 when not seen in time.
    int udpPort();

    // Sends a datagram to the server's port and returns the reply, if any
    // arrives in time.
    std::optional<std::string> query(const std::string& datagram,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(5));

    bool running() { return m_child.running(); }
    // Waits for the process to end; its exit status, or -1.
    int waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    void terminate() { m_child.stop(); }

private:
    ravelin::test::ChildProcess m_child;
    std::string m_outText;
    std::string m_errText;
};
