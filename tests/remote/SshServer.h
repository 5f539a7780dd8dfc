// A real OpenSSH server for the remote tests and benchmarks: Debian's sshd
// started by the test on a free loopback port, with its own host key,
// configuration, authorized_keys and known_hosts in a temporary folder, and
// the build's ravelin-console first on the PATH of its sessions (its
// consoles are this test's own: the sessions get the test's runtime folder).
// Ravelin reaches it through an ssh configuration file of its own
// (`sshConfig()`, the setting [Remote] SshConfig), never the user's.
#pragma once

#include "integration/ConsoleHostProcess.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <string>

namespace ravelin::test {

class SshServer {
public:
    SshServer();
    ~SshServer();

    // Why the server cannot run here ("" when it can): no sshd or ssh-keygen.
    static std::string missing();
    // The sessions' consoles are those in `runtime` (their XDG_RUNTIME_DIR).
    bool start(const std::filesystem::path& runtime);
    // Ends the server and every session it runs (the links drop).
    void kill();

    int port() const { return m_port; }
    // user@127.0.0.1 for the user the test runs as.
    std::string target() const;
    std::filesystem::path sshConfig() const { return m_dir.path() / "ssh_config"; }
    std::filesystem::path clientKey() const { return m_dir.path() / "client_key"; }
    const std::filesystem::path& folder() const { return m_dir.path(); }
    // A second ssh configuration that differs in one line (a key the server
    // does not know, or no known host key).
    std::filesystem::path variantConfig(const std::string& name, bool knownHost, bool knownKey);
    std::string log() const;

private:
    TempDir m_dir{"ravelin-sshd"};
    ChildProcess m_sshd;
    int m_port = 0;
};

} // namespace ravelin::test
