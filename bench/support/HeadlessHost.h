// A server inside a headless ravelin-console, its output thrown away: what
// the benchmarks measure Ravelin against. Header-only, shared by the bench
// programs.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ravelin::bench {

class HeadlessHost {
public:
    // `server` is the server's command line (program first).
    HeadlessHost(const std::filesystem::path& bin, const std::vector<std::string>& server)
    {
        std::vector<std::string> argv{(bin / "ravelin-console").string(), "--headless", "--"};
        argv.insert(argv.end(), server.begin(), server.end());
        m_pid = ::fork();
        if (m_pid == 0) {
            int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            std::vector<char*> args;
            for (auto& a : argv)
                args.push_back(a.data());
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
    }
    ~HeadlessHost()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    // The console's handle is its host's pid.
    std::int32_t handle() const { return static_cast<std::int32_t>(m_pid); }

    // q3sim on a port of its own choosing, with these further arguments.
    static std::vector<std::string> q3sim(const std::filesystem::path& bin, std::vector<std::string> extra = {})
    {
        std::vector<std::string> server{(bin / "q3sim").string(), "+set", "net_port", "0"};
        server.insert(server.end(), extra.begin(), extra.end());
        return server;
    }

private:
    pid_t m_pid = -1;
};

} // namespace ravelin::bench
