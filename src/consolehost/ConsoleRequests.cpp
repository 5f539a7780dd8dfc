#include "consolehost/ConsoleRequests.h"

#include "platform/ipc/IpcProtocol.h"

#include <algorithm>

namespace ravelin::consolehost {

using namespace ravelin::ipc;

namespace {

constexpr std::string_view kClass = "Q3 WinConsole";
constexpr std::string_view kTitle = "Quake 3 Console";

struct ChildFacts {
    const char* className;
    const char* caption;
};

// The window's children in the order a child walk sees them.
constexpr ChildFacts kChildren[kChildCount] = {
    {"Edit", ""}, {"Button", "copy"}, {"Button", "clear"}, {"Button", "quit"}, {"Edit", ""},
};

std::string ok() { return std::string(1, static_cast<char>(Status::Ok)); }

} // namespace

std::string ConsoleRequests::malformed(std::string_view why)
{
    return PayloadWriter().u8(static_cast<std::uint8_t>(Status::Malformed)).raw(why).payload();
}

void ConsoleRequests::forget(std::uint64_t from)
{
    m_typed.erase(from);
    std::erase_if(m_execs, [&](const auto& entry) {
        if (entry.second.from != from)
            return false;
        m_model.forgetExec(entry.first);
        return true;
    });
}

std::string ConsoleRequests::execResult(std::uint64_t id, std::uint64_t from)
{
    auto owner = m_execs.find(id);
    const ConsoleModel::Exec* exec = m_model.exec(id);
    PayloadWriter writer;
    writer.u8(0);
    // Only the connection that asked sees a command's output.
    if (owner == m_execs.end() || owner->second.from != from || !exec) {
        if (owner != m_execs.end() && owner->second.from == from)
            m_execs.erase(owner);
        writer.u8(static_cast<std::uint8_t>(ExecState::Failed))
            .string(exec || owner != m_execs.end() ? "the server ended before the command's output did"
                                                   : "no such command")
            .u32(0);
        return writer.payload();
    }
    if (exec->done) {
        writer.u8(static_cast<std::uint8_t>(exec->cut ? ExecState::Failed : ExecState::Done))
            .string(exec->cut ? "the output passed " + std::to_string(ConsoleModel::kMaxExecBytes / (1024 * 1024))
                            + " MiB and was cut"
                              : std::string())
            .u32(static_cast<std::uint32_t>(exec->lines.size()));
        for (const std::string& line : exec->lines)
            putLine(writer, line, false);
        m_model.forgetExec(id);
        m_execs.erase(owner);
        return writer.payload();
    }
    if (std::chrono::steady_clock::now() >= owner->second.deadline) {
        std::string why = exec->taken ? "the server took the command but did not finish its output in time"
                                      : "the server did not take the command in time";
        m_model.forgetExec(id);
        m_execs.erase(owner);
        writer.u8(static_cast<std::uint8_t>(ExecState::Failed)).string(why).u32(0);
        return writer.payload();
    }
    writer.u8(static_cast<std::uint8_t>(ExecState::Running)).string("").u32(0);
    return writer.payload();
}

std::string ConsoleRequests::answer(std::string_view request, bool& closeAfter, std::uint64_t from)
{
    closeAfter = false;
    PayloadReader reader(request);
    auto op = static_cast<Op>(reader.u8());
    int window = reader.u8();
    if (!reader.ok()) {
        closeAfter = true;
        return malformed("request too short");
    }
    if (window > kChildCount)
        return PayloadWriter().u8(static_cast<std::uint8_t>(Status::NoWindow)).payload();
    bool edit = window == kInputLine || window == kOutputBox;
    const std::string& text = window == kInputLine ? m_model.input() : m_model.output();

    switch (op) {
    case Op::Describe: {
        PayloadWriter writer;
        writer.u8(static_cast<std::uint8_t>(Status::Ok))
            .u32(kProtocolVersion)
            .u32(static_cast<std::uint32_t>(m_facts.hostPid))
            .u32(static_cast<std::uint32_t>(m_facts.serverPid))
            .string(kClass)
            .string(kTitle)
            .u8(kChildCount);
        for (const ChildFacts& child : kChildren)
            writer.string(child.className).string(child.caption);
        writer.u32(kFeatureLineCount | kFeatureNumberedLines | (m_supervise ? kFeatureSupervision : 0));
        return writer.payload();
    }
    case Op::TextLength: {
        std::size_t length = 0;
        if (edit)
            length = text.size();
        else if (window == kConsoleWindow)
            length = kTitle.size();
        else
            length = std::string_view(kChildren[window - 1].caption).size();
        return PayloadWriter().u8(0).u32(static_cast<std::uint32_t>(length)).payload();
    }
    case Op::GetText: {
        std::uint32_t capacity = reader.u32();
        if (!reader.ok())
            break;
        std::string_view value = edit  ? std::string_view(text)
            : window == kConsoleWindow ? kTitle
                                       : std::string_view(kChildren[window - 1].caption);
        if (capacity == 0)
            value = {};
        else if (value.size() > capacity - 1)
            value = value.substr(0, capacity - 1);
        return ok() + std::string(value);
    }
    case Op::SetText:
        if (window == kInputLine) {
            m_model.setInput(reader.rest());
            if (from != 0)
                m_typed[from] = m_model.input();
        } else if (window == kOutputBox)
            m_model.setOutput(reader.rest());
        return ok();
    case Op::Char: {
        std::uint8_t character = reader.u8();
        if (!reader.ok())
            break;
        if (window != kInputLine)
            return ok();
        if (auto typed = m_typed.find(from); from != 0 && typed != m_typed.end() && typed->second != m_model.input())
            m_model.setInput(typed->second);
        m_model.typeChar(static_cast<char>(character));
        if (from != 0) {
            if (character == '\r' || character == '\n')
                m_typed.erase(from);
            else
                m_typed[from] = m_model.input();
        }
        return ok();
    }
    case Op::ButtonDown: m_model.buttonDown(window); return ok();
    case Op::ButtonUp: m_model.buttonUp(window); return ok();
    case Op::Show: {
        std::uint8_t visible = reader.u8();
        if (!reader.ok())
            break;
        // Newer clients add the display they run on, and then the
        // XAUTHORITY that opens it.
        std::string display = reader.atEnd() ? std::string() : reader.string();
        std::string authority = reader.atEnd() ? std::string() : reader.string();
        if (window == kConsoleWindow) {
            m_model.setVisible(visible != 0);
            if (visible && reader.ok() && !display.empty() && m_showOnDisplay)
                m_showOnDisplay(display, authority);
        }
        return ok();
    }
    case Op::IsVisible: return ok() + std::string(1, m_model.visible() ? '\1' : '\0');
    case Op::LineCount: {
        // The model keeps the count, so a client polling for new lines
        // is not sent the whole text each time.
        int count = -1;
        if (window == kOutputBox) {
            count = m_model.lineCount();
        } else if (window == kInputLine && !text.empty()) {
            count = 0;
            for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
                ++count;
        }
        return PayloadWriter().u8(0).u32(static_cast<std::uint32_t>(count)).payload();
    }
    case Op::ReadLines: {
        std::uint64_t after = reader.u64();
        std::uint32_t maxBytes = reader.u32();
        if (!reader.ok())
            break;
        LineBatch batch = m_model.ring().read(after, std::min<std::size_t>(maxBytes, kMaxReadBytes));
        return ok() + ipc::encodeBatch(batch);
    }
    case Op::LineMark: {
        std::uint32_t chars = reader.u32();
        if (!reader.ok())
            break;
        return PayloadWriter().u8(0).u64(m_model.ring().newest()).u64(m_model.ring().tailStart(chars)).payload();
    }
    case Op::SendLine: m_model.submit(reader.rest()); return ok();
    case Op::ExecStart: {
        std::uint32_t timeoutMs = reader.u32();
        std::string command = reader.rest();
        if (!reader.ok())
            break;
        std::string error;
        std::uint64_t id = m_model.startExec(command, error);
        if (id == 0)
            return PayloadWriter().u8(0).u64(0).string(error).payload();
        m_execs[id] = {from, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)};
        return PayloadWriter().u8(0).u64(id).payload();
    }
    case Op::ExecResult: {
        std::uint64_t id = reader.u64();
        if (!reader.ok())
            break;
        return execResult(id, from);
    }
    case Op::Subscribe: {
        std::uint64_t after = reader.u64();
        if (!reader.ok())
            break;
        if (m_subscribe && from != 0)
            m_subscribe(from, after);
        return ok();
    }
    case Op::Stats: {
        const LineRing& ring = m_model.ring();
        std::string text = "lines " + std::to_string(ring.oldest()) + ".." + std::to_string(ring.newest()) + ", "
            + std::to_string(ring.bytes() / 1024) + " KiB of " + std::to_string(ring.maxBytes() / 1024) + " KiB kept";
        if (m_statsExtra)
            text += m_statsExtra();
        return PayloadWriter().u8(0).string(text).payload();
    }
    case Op::Supervise: {
        std::uint8_t action = reader.u8();
        if (!reader.ok() || !m_supervise || action > static_cast<std::uint8_t>(SuperviseAction::Stop))
            break;
        Supervision now = m_supervise(static_cast<SuperviseAction>(action));
        return PayloadWriter()
            .u8(0)
            .u8(static_cast<std::uint8_t>(now.state))
            .u32(now.starts)
            .string(now.text)
            .payload();
    }
    case Op::Focus:
        if (window == kInputLine)
            m_model.requestFocus();
        return ok();
    default: closeAfter = true; return malformed("unknown request " + std::to_string(static_cast<int>(op)));
    }
    closeAfter = true;
    return malformed("request arguments missing");
}

} // namespace ravelin::consolehost
