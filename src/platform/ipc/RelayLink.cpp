#include "platform/ipc/RelayLink.h"
#include "platform/ipc/Spawn.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ravelin::ipc {

namespace {

constexpr std::size_t kMaxStderr = 4096;
constexpr std::string_view kUnreachable = "the machine cannot be reached";

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool contains(const std::string& text, std::string_view needle) { return text.find(needle) != std::string::npos; }

// The last non-empty line ssh wrote, as its own message.
std::string lastLines(const std::string& text)
{
    std::string trimmed = text;
    while (!trimmed.empty() && (trimmed.back() == '\n' || trimmed.back() == '\r'))
        trimmed.pop_back();
    std::size_t from = trimmed.rfind('\n');
    std::size_t before = from == std::string::npos ? std::string::npos : trimmed.rfind('\n', from - 1);
    std::string tail = before == std::string::npos ? trimmed : trimmed.substr(before + 1);
    for (char& c : tail)
        if (c == '\n' || c == '\r')
            c = ' ';
    return tail;
}

} // namespace

std::vector<std::string> sshRelayCommand(const std::string& target, int port, const std::string& identity,
                                         const std::string& sshConfig)
{
    std::vector<std::string> argv{"ssh", "-T", "-o", "BatchMode=yes"};
    if (!sshConfig.empty())
        argv.insert(argv.end(), {"-F", sshConfig});
    if (port > 0)
        argv.insert(argv.end(), {"-p", std::to_string(port)});
    if (!identity.empty())
        argv.insert(argv.end(), {"-i", identity});
    // "--" ends ssh's options: the target can never be read as one.
    argv.insert(argv.end(), {"--", target, "ravelin-console", "relay"});
    return argv;
}

std::string RelayLink::explain(const std::string& stderrText, int exitStatus, bool saidHello)
{
    std::string what;
    if (contains(stderrText, "REMOTE HOST IDENTIFICATION HAS CHANGED"))
        what = "the machine's host key has changed";
    else if (contains(stderrText, "Host key verification failed") || contains(stderrText, "No matching host key")
             || contains(stderrText, "host key for") || contains(stderrText, "No ED25519 host key"))
        what = "the machine's host key is unknown or has changed";
    else if (contains(stderrText, "Permission denied"))
        what = "the machine refused the key (authentication failed)";
    else if (exitStatus == 127 || contains(stderrText, "ravelin-console: command not found")
             || contains(stderrText, "ravelin-console: not found"))
        what = "there is no ravelin-console on the machine's PATH";
    else if (contains(stderrText, "Connection refused") || contains(stderrText, "Could not resolve")
             || contains(stderrText, "Connection timed out") || contains(stderrText, "No route to host"))
        what = kUnreachable;
    else if (saidHello)
        what = "the connection was lost";
    else
        what = "the connection could not be made";
    const std::string words = lastLines(stderrText);
    return words.empty() ? what : what + ": " + words;
}

RelayLink::RelayLink(std::vector<std::string> command)
    : m_command(std::move(command)), m_watch(sshResolveCommand(m_command))
{}

RelayLink::~RelayLink() { stop(); }

void RelayLink::start()
{
    stop();
    m_stopped = false;
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0)
        return fail("no pipe for the link");
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]), ::close(in[1]);
        return fail("no pipe for the link");
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(in[0]), ::close(in[1]), ::close(out[0]), ::close(out[1]);
        return fail("no pipe for the link");
    }
    pid_t pid = -1;
    const int spawned = spawnInOwnSession(m_command, in[0], out[1], err[1], pid);
    ::close(in[0]), ::close(out[1]), ::close(err[1]);
    m_in = in[1], m_out = out[0], m_err = err[0];
    for (int fd : {m_in, m_out, m_err})
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ++m_generation;
    if (spawned != 0) {
        m_pid = -1;
        return fail("cannot start " + m_command[0] + ": " + std::strerror(spawned));
    }
    m_pid = pid;
    m_state = State::Connecting;
    m_message.clear();
}

void RelayLink::stop()
{
    m_stopped = true;
    m_watch.end();
    closeFd(m_in), closeFd(m_out), closeFd(m_err);
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        // ssh ends at once on SIGTERM; one that does not is killed.
        for (int i = 0; i < 200 && ::waitpid(m_pid, &status, WNOHANG) == 0; ++i)
            ::usleep(5000);
        if (::waitpid(m_pid, &status, WNOHANG) == 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
    }
    m_pid = -1;
    m_received.clear();
    m_used = 0;
    m_stderr.clear();
    m_saidHello = false;
    m_state = State::Failed;
    // Those waiting on an answer are not called back: their owners may be
    // going away with this link. They see the link's state instead.
    m_async.clear();
    m_lasting.clear();
    m_waiting.clear();
}

void RelayLink::fail(std::string message)
{
    const bool wasUp = m_saidHello;
    const std::uint64_t generation = m_generation;
    stop();
    m_stopped = false;
    m_message = std::move(message);
    m_generation = generation;
    m_state = State::Failed;
    if (wasUp)
        m_delay = kFirstRetry;
    m_retryAt = Clock::now() + m_delay;
    m_delay = std::min(m_delay * 2, std::chrono::seconds(kLastRetry));
    m_watch.begin(m_message.starts_with(kUnreachable));
}

void RelayLink::drainStderr()
{
    char buffer[4096];
    for (;;) {
        ssize_t n = m_err >= 0 ? ::read(m_err, buffer, sizeof buffer) : -1;
        if (n <= 0)
            break;
        m_stderr.append(buffer, static_cast<std::size_t>(n));
        if (m_stderr.size() > kMaxStderr)
            m_stderr.erase(0, m_stderr.size() - kMaxStderr);
    }
}

// Reads what there is (waiting at most `waitMs` for the first bytes) and
// handles every whole frame. False when the link went down.
bool RelayLink::readSome(int waitMs)
{
    if (m_out < 0)
        return false;
    pollfd p[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
    if (::poll(p, 2, waitMs) < 0 && errno != EINTR)
        return false;
    drainStderr();
    bool closed = false;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(m_out, buffer, sizeof buffer);
        if (n > 0) {
            m_received.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            closed = true;
        break;
    }
    // A callback may make a request of its own, which reads on from here:
    // frames are taken in order through m_used, shared by every level, and
    // the buffer is cut only once no frame is being handled.
    while (m_received.size() - m_used >= kFrameHeader) {
        const std::uint32_t length = frameLength(std::string_view(m_received).substr(m_used));
        if (length == 0 || length > kMaxAnswerPayload + 64) {
            fail("the far end sent something that is not the relay protocol");
            return false;
        }
        if (m_received.size() - m_used - kFrameHeader < length)
            break;
        const std::string payload = m_received.substr(m_used + kFrameHeader, length);
        m_used += kFrameHeader + length;
        const std::uint64_t generation = m_generation;
        ++m_handling;
        handleFrame(payload);
        --m_handling;
        if (m_generation != generation || m_state == State::Failed)
            return false;
    }
    if (m_handling == 0) {
        m_received.erase(0, m_used);
        m_used = 0;
    }
    if (closed) {
        // ssh has ended (or is ending): its exit status and words say why.
        int status = 0;
        int exitStatus = -1;
        for (int i = 0; i < 200 && m_pid > 0; ++i) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                m_pid = -1;
                break;
            }
            ::usleep(5000);
        }
        drainStderr();
        fail(explain(m_stderr, exitStatus, m_saidHello));
        return false;
    }
    return true;
}

void RelayLink::handleFrame(std::string_view payload)
{
    if (!m_saidHello) {
        PayloadReader reader(payload);
        if (payload.substr(0, kRelayMagic.size()) != kRelayMagic)
            return fail("the far end is not a relay (is ravelin-console on its PATH the right program?)");
        reader = PayloadReader(payload.substr(kRelayMagic.size()));
        const std::uint32_t version = reader.u32();
        if (!reader.ok() || version != kRelayVersion)
            return fail("the relay on that machine speaks protocol version " + std::to_string(version)
                        + ", this Ravelin speaks version " + std::to_string(kRelayVersion)
                        + ": install the same Ravelin there");
        m_saidHello = true;
        m_state = State::Connected;
        m_delay = kFirstRetry;
        m_message.clear();
        return;
    }
    PayloadReader reader(payload);
    const std::uint32_t tag = reader.u32();
    const auto status = static_cast<RelayStatus>(reader.u8());
    if (!reader.ok())
        return fail("the relay sent an unreadable answer");
    std::string_view result = payload.substr(5);
    if (auto waiting = m_waiting.find(tag); waiting != m_waiting.end()) {
        waiting->second = Answer{status, std::string(result)};
        return;
    }
    if (auto async = m_async.find(tag); async != m_async.end()) {
        Callback callback = async->second;
        // A subscription lives on until the relay ends it; anything else is answered once.
        if (status != RelayStatus::Ok || !m_lasting.contains(tag)) {
            m_async.erase(async);
            m_lasting.erase(tag);
        }
        if (callback)
            callback(status, result);
    }
    if (status == RelayStatus::Malformed)
        fail("the relay refused a request: " + PayloadReader(result).string());
}

void RelayLink::poll()
{
    if (m_state == State::Failed) {
        if (m_stopped)
            return;
        const auto now = Clock::now();
        if (now >= m_retryAt)
            start();
        else if (m_watch.poll(now)) {
            ++m_earlyStarts;
            start();
        }
        return;
    }
    readSome(0);
}

bool RelayLink::sendFrame(const std::string& frame)
{
    std::size_t sent = 0;
    const auto deadline = Clock::now() + m_timeout;
    while (sent < frame.size()) {
        ssize_t n = ::write(m_in, frame.data() + sent, frame.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR) && Clock::now() < deadline) {
            pollfd p{m_in, POLLOUT, 0};
            ::poll(&p, 1, 50);
            readSome(0);
            continue;
        }
        fail(explain(m_stderr, -1, m_saidHello));
        return false;
    }
    return true;
}

std::optional<RelayLink::Answer> RelayLink::request(RelayOp op, std::string_view arguments)
{
    const auto deadline = Clock::now() + m_timeout;
    while (m_state == State::Connecting && Clock::now() < deadline)
        readSome(20);
    if (m_state != State::Connected)
        return std::nullopt;
    const std::uint32_t tag = m_nextTag++;
    m_waiting[tag];
    const std::uint64_t generation = m_generation;
    if (!sendFrame(PayloadWriter().u32(tag).u8(static_cast<std::uint8_t>(op)).raw(arguments).frame()))
        return std::nullopt;
    while (m_generation == generation && m_state == State::Connected) {
        auto it = m_waiting.find(tag);
        if (it == m_waiting.end())
            return std::nullopt;
        if (it->second) {
            Answer answer = std::move(*it->second);
            m_waiting.erase(it);
            return answer;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            // A link that stops answering is taken as lost, so a hung
            // connection costs one timeout, not one per request.
            m_waiting.erase(it);
            fail("the relay did not answer within "
                 + std::to_string(std::chrono::duration_cast<std::chrono::seconds>(m_timeout).count()) + " s");
            return std::nullopt;
        }
        readSome(static_cast<int>(std::min<long long>(left, 50)));
    }
    return std::nullopt;
}

std::uint32_t RelayLink::requestAsync(RelayOp op, std::string_view arguments, Callback callback)
{
    if (m_state != State::Connected)
        return 0;
    const std::uint32_t tag = m_nextTag++;
    m_async[tag] = std::move(callback);
    if (op == RelayOp::Subscribe)
        m_lasting.insert(tag);
    if (!sendFrame(PayloadWriter().u32(tag).u8(static_cast<std::uint8_t>(op)).raw(arguments).frame()))
        return 0;
    return tag;
}

void RelayLink::forget(std::uint32_t tag)
{
    m_async.erase(tag);
    m_lasting.erase(tag);
}

} // namespace ravelin::ipc
