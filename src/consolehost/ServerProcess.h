// The dedicated server as a child process: its standard input on a pipe we
// keep open for as long as it runs, its standard output and error merged
// into one pipe (so their order survives). Plain POSIX; the owner's event
// loop watches outputFd() and polls for the exit.
//
// Feeding: the engines read piped input 256 bytes at a time and treat each
// read as one line, so a line is written only when the pipe is empty again;
// on Linux FIONREAD on the pipe tells how many bytes still wait in it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace ravelin::consolehost {

class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts the program (searched in PATH when it holds no "/"), also again
    // once it ended. False with `error` set when it cannot be started;
    // nothing is left running then.
    bool start(const std::vector<std::string>& argv, std::string& error);

    // Takes over a server started by this process before it replaced
    // itself (exec): the child and its pipes carried over.
    void adopt(pid_t pid, int input, int output);
    // Keeps the pipes open across an exec (or closes them on exec again).
    void keepAcrossExec(bool keep);

    pid_t pid() const { return m_pid; }
    int inputFd() const { return m_input; }
    int outputFd() const { return m_output; }
    bool running() const { return m_pid > 0 && !m_exited; }

    // Bytes written to the server's input that it has not read yet.
    int unreadInput() const;
    // Writes one line (with its LF) in one write. False when the server no
    // longer takes input.
    bool writeLine(std::string_view line);

    // Reads what is available now: the bytes, or nullopt at end of output.
    std::optional<std::string> readOutput();

    // Non-blocking check for the exit; true once the child has ended.
    bool pollExit();
    // The exit status as a shell reports it: the code, or 128 + signal.
    int exitStatus() const { return m_status; }
    std::string exitDescription() const;
    // The signal that ended it, or 0.
    int exitSignal() const;

    void signal(int signalNumber);

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    bool m_exited = false;
    int m_rawStatus = 0;
    int m_status = 0;
};

} // namespace ravelin::consolehost
