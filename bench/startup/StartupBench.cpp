// Start-up time of ravelin: from exec to the start window listing two
// running servers (each a q3sim inside a headless ravelin-console), against
// a reference start with no server running, in the same invocation.
// ravelin's --report-start prints the list and ends as soon as the start
// window shows it; the time is taken when that output is complete.
//
// Usage: bench_startup [RUNS]   (default 5; programs are found beside it)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

fs::path g_bin;

pid_t spawn(const std::vector<std::string>& args, int outFd)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(outFd >= 0 ? outFd : null, 1);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

struct Run {
    double ms = 0;
    std::string output;
    int status = -1;
};

Run runRavelin()
{
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const auto start = Clock::now();
    pid_t pid = spawn({(g_bin / "ravelin").string(), "--report-start", "--driver-timeout", "60"}, fds[1]);
    close(fds[1]);
    Run run;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, std::size_t(n));
    run.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    close(fds[0]);
    waitpid(pid, &run.status, 0);
    return run;
}

int countLines(const std::string& text, const std::string& prefix)
{
    int count = 0;
    std::size_t at = 0;
    while ((at = text.find(prefix, at)) != std::string::npos) {
        if (at == 0 || text[at - 1] == '\n')
            ++count;
        at += prefix.size();
    }
    return count;
}

int listedConsoles()
{
    const std::string command = (g_bin / "ravelin-console").string() + " list 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return 0;
    int lines = 0;
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
        if (line[0] != '\n')
            ++lines;
    pclose(pipe);
    return lines;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::vector<double> measure(int runs, int expectServers)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        Run run = runRavelin();
        const int listed = countLines(run.output, "listed: Quake 3 Arena [");
        if (!WIFEXITED(run.status) || WEXITSTATUS(run.status) != 0 || listed != expectServers) {
            std::fprintf(stderr, "bench_startup: ravelin run %d failed (status %d, %d servers listed, want %d)\n%s",
                         i + 1, run.status, listed, expectServers, run.output.c_str());
            std::exit(1);
        }
        times.push_back(run.ms);
    }
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    g_bin = fs::canonical("/proc/self/exe").parent_path();
    for (const char* program : {"ravelin", "ravelin-console", "q3sim"})
        if (!fs::exists(g_bin / program)) {
            std::fprintf(stderr, "bench_startup: %s not found in %s\n", program, g_bin.c_str());
            return 1;
        }

    // Private folders: only this bench's servers are listed, and no stored
    // default server connects at start.
    const fs::path root = fs::temp_directory_path() / ("ravelin-bench-startup-" + std::to_string(getpid()));
    fs::create_directories(root / "runtime");
    fs::create_directories(root / "config");
    fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    std::vector<double> reference = measure(runs, 0);

    std::vector<pid_t> hosts;
    for (const char* name : {"Bench Arena One", "Bench Arena Two"}) {
        const int before = listedConsoles();
        hosts.push_back(spawn({(g_bin / "ravelin-console").string(), "--headless", "--", (g_bin / "q3sim").string(),
                               "+set", "sv_hostname", name, "+set", "net_port", "0"},
                              -1));
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (listedConsoles() <= before) {
            if (Clock::now() > deadline) {
                std::fprintf(stderr, "bench_startup: the console host for %s did not appear\n", name);
                for (pid_t pid : hosts)
                    kill(pid, SIGTERM);
                return 1;
            }
            usleep(20000);
        }
    }
    // One untimed start lets both servers finish starting up.
    runRavelin();
    std::vector<double> twoServers = measure(runs, 2);

    for (pid_t pid : hosts) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(root, ignored);

    const double ref = median(reference);
    const double two = median(twoServers);
    std::printf("{\"bench\":\"startup\",\"runs\":%d,\"no_server_ms\":%.1f,\"two_servers_ms\":%.1f,"
                "\"two_servers_min_ms\":%.1f,\"two_servers_max_ms\":%.1f,\"ratio\":%.2f}\n",
                runs, ref, two, *std::min_element(twoServers.begin(), twoServers.end()),
                *std::max_element(twoServers.begin(), twoServers.end()), two / ref);
    std::printf("startup: exec to start window listing two servers %.0f ms (median of %d); "
                "no server %.0f ms; ratio %.2f\n",
                two, runs, ref, two / ref);
    return 0;
}
