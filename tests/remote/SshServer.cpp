#include "remote/SshServer.h"

#include "support/UdpQuery.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace ravelin::test {

namespace {

int freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(fd);
    return bound ? ntohs(address.sin_port) : 0;
}

bool accepting(int port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

bool keygen(const fs::path& file)
{
    return runCommand({"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", file.string()}).status == 0;
}

// An ssh configuration trusting only `knownHosts`, logging in with `key`.
void writeClientConfig(const fs::path& file, const fs::path& knownHosts, const fs::path& key)
{
    std::ofstream(file) << "Host *\n  UserKnownHostsFile " << knownHosts.string()
                        << "\n  GlobalKnownHostsFile /dev/null\n  StrictHostKeyChecking yes\n  IdentityFile "
                        << key.string() << "\n  IdentitiesOnly yes\n  LogLevel ERROR\n";
}

// The processes an sshd forked for its sessions, found by parent id.
void killChildren(pid_t parent)
{
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string text = readFile(entry.path() / "stat");
        const auto close = text.rfind(')');
        if (close == std::string::npos)
            continue;
        int ppid = 0;
        char state = 0;
        if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == parent) {
            const pid_t child = std::atoi(name.c_str());
            killChildren(child);
            ::kill(child, SIGKILL);
        }
    }
}

} // namespace

SshServer::SshServer() = default;

SshServer::~SshServer() { kill(); }

std::string SshServer::missing()
{
    for (const char* program : {"/usr/sbin/sshd", "/usr/bin/ssh", "/usr/bin/ssh-keygen"})
        if (!fs::exists(program))
            return std::string(program) + " is not installed (scripts/install-deps.sh installs it)";
    return {};
}

std::string SshServer::target() const
{
    const passwd* user = ::getpwuid(::geteuid());
    return std::string(user ? user->pw_name : "root") + "@127.0.0.1";
}

std::string SshServer::log() const { return readFile(m_dir.path() / "sshd.log"); }

bool SshServer::start(const fs::path& runtime)
{
    const fs::path& dir = m_dir.path();
    if (m_port == 0) {
        if (!keygen(dir / "host_key") || !keygen(dir / "client_key"))
            return false;
        fs::copy_file(dir / "client_key.pub", dir / "authorized_keys");
        m_port = freePort();
        std::ofstream(dir / "sshd_config")
            << "Port " << m_port << "\nListenAddress 127.0.0.1\nHostKey " << (dir / "host_key").string() << "\nPidFile "
            << (dir / "sshd.pid").string() << "\nAuthorizedKeysFile " << (dir / "authorized_keys").string()
            << "\nPasswordAuthentication no\nKbdInteractiveAuthentication no\nPubkeyAuthentication yes\n"
               "PermitRootLogin prohibit-password\nUsePAM no\nStrictModes no\nPrintMotd no\nLogLevel ERROR\n"
            // SHLVL=1: bash reads ~/.bashrc for a command sshd runs only at
            // the top level; the user's own (a pyenv set-up, say) can take
            // seconds per login and is not what these sessions run.
            << "SetEnv PATH=" << binDir().string() << ":/usr/bin:/bin XDG_RUNTIME_DIR=" << runtime.string()
            << " SHLVL=1\nUseDNS no\n";
        std::string hostKey = readFile(dir / "host_key.pub");
        std::ofstream(dir / "known_hosts") << "[127.0.0.1]:" << m_port << " " << hostKey;
        writeClientConfig(sshConfig(), dir / "known_hosts", clientKey());
        // sshd wants its privilege separation folder.
        std::error_code ignored;
        fs::create_directories("/run/sshd", ignored);
    }
    m_sshd = ChildProcess({"/usr/sbin/sshd", "-D", "-e", "-f", (dir / "sshd_config").string()}, dir / "sshd.log");
    return waitFor([&] { return accepting(m_port); }, std::chrono::seconds(10));
}

void SshServer::kill()
{
    if (m_sshd.pid() > 0) {
        killChildren(m_sshd.pid());
        m_sshd.stop();
    }
}

fs::path SshServer::variantConfig(const std::string& name, bool knownHost, bool knownKey)
{
    const fs::path& dir = m_dir.path();
    if (!knownKey && !fs::exists(dir / "stranger_key"))
        keygen(dir / "stranger_key");
    std::ofstream(dir / "empty_known_hosts");
    writeClientConfig(dir / name, dir / (knownHost ? "known_hosts" : "empty_known_hosts"),
                      dir / (knownKey ? "client_key" : "stranger_key"));
    return dir / name;
}

} // namespace ravelin::test
