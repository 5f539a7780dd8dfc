#include "platform/ipc/IpcProtocol.h"

#include <algorithm>

namespace ravelin::ipc {

namespace {

void putU32(std::string& out, std::uint32_t value)
{
    out.push_back(static_cast<char>((value >> 24) & 0xFF));
    out.push_back(static_cast<char>((value >> 16) & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

} // namespace

PayloadWriter& PayloadWriter::u8(std::uint8_t value)
{
    m_payload.push_back(static_cast<char>(value));
    return *this;
}

PayloadWriter& PayloadWriter::u32(std::uint32_t value)
{
    putU32(m_payload, value);
    return *this;
}

PayloadWriter& PayloadWriter::string(std::string_view value)
{
    putU32(m_payload, static_cast<std::uint32_t>(value.size()));
    m_payload.append(value);
    return *this;
}

PayloadWriter& PayloadWriter::raw(std::string_view bytes)
{
    m_payload.append(bytes);
    return *this;
}

PayloadWriter& PayloadWriter::u64(std::uint64_t value)
{
    putU32(m_payload, static_cast<std::uint32_t>(value >> 32));
    putU32(m_payload, static_cast<std::uint32_t>(value));
    return *this;
}

std::string PayloadWriter::frame() const { return ipc::frame(m_payload); }

std::uint8_t PayloadReader::u8()
{
    if (m_pos + 1 > m_data.size()) {
        m_ok = false;
        return 0;
    }
    return static_cast<std::uint8_t>(m_data[m_pos++]);
}

std::uint32_t PayloadReader::u32()
{
    if (m_pos + 4 > m_data.size()) {
        m_ok = false;
        m_pos = m_data.size();
        return 0;
    }
    std::uint32_t value = frameLength(m_data.substr(m_pos, 4));
    m_pos += 4;
    return value;
}

std::uint64_t PayloadReader::u64()
{
    std::uint64_t high = u32();
    return (high << 32) | u32();
}

std::string PayloadReader::string()
{
    std::uint32_t length = u32();
    if (!m_ok || length > m_data.size() - m_pos) {
        m_ok = false;
        m_pos = m_data.size();
        return {};
    }
    std::string value(m_data.substr(m_pos, length));
    m_pos += length;
    return value;
}

std::string PayloadReader::rest()
{
    std::string value(m_data.substr(m_pos));
    m_pos = m_data.size();
    return value;
}

std::string frame(std::string_view payload)
{
    std::string out;
    out.reserve(kFrameHeader + payload.size());
    putU32(out, static_cast<std::uint32_t>(payload.size()));
    out.append(payload);
    return out;
}

void putLine(PayloadWriter& writer, std::string_view text, bool continues)
{
    writer.u8(continues ? kLineContinues : 0).string(text);
}

std::string encodeBatch(const LineBatch& batch)
{
    PayloadWriter writer;
    writer.u64(batch.first).u64(batch.missed).u64(batch.newest).u32(static_cast<std::uint32_t>(batch.lines.size()));
    for (const NumberedLine& line : batch.lines)
        putLine(writer, line.text, line.continues);
    return writer.payload();
}

LineBatch decodeBatch(PayloadReader& reader)
{
    LineBatch batch;
    batch.first = reader.u64();
    batch.missed = reader.u64();
    batch.newest = reader.u64();
    std::uint32_t count = reader.u32();
    // A count larger than the lines sent ends at the first short read.
    for (std::uint32_t i = 0; i < count && reader.ok(); ++i) {
        std::uint8_t flags = reader.u8();
        std::string text = reader.string();
        if (reader.ok())
            batch.lines.push_back({std::move(text), (flags & kLineContinues) != 0});
    }
    batch.ok = reader.ok();
    return batch;
}

std::string execStartArguments(std::string_view command, int timeoutMs)
{
    return PayloadWriter().u32(static_cast<std::uint32_t>(std::max(timeoutMs, 0))).raw(command).payload();
}

std::uint64_t decodeExecStart(std::string_view answer, std::string& error)
{
    PayloadReader reader(answer);
    const std::uint64_t id = reader.u64();
    if (id == 0)
        error = reader.atEnd() ? "the console refused the command" : reader.string();
    return id;
}

ExecPoll decodeExecResult(std::string_view answer)
{
    ExecPoll poll;
    PayloadReader reader(answer);
    const auto state = static_cast<ExecState>(reader.u8());
    poll.error = reader.string();
    const std::uint32_t count = reader.u32();
    for (std::uint32_t i = 0; i < count && reader.ok(); ++i) {
        reader.u8();
        std::string line = reader.string();
        if (reader.ok())
            poll.lines.push_back(std::move(line));
    }
    if (!reader.ok()) {
        poll.error = "the console's answer was unreadable";
        return poll;
    }
    poll.state = state == ExecState::Done ? ExecPoll::State::Done
        : state == ExecState::Running     ? ExecPoll::State::Running
                                          : ExecPoll::State::Failed;
    return poll;
}

std::uint64_t decodeLineMark(std::string_view answer, bool& ok)
{
    PayloadReader reader(answer);
    reader.u64(); // the newest line's number
    const std::uint64_t start = reader.u64();
    ok = reader.ok();
    return start;
}

std::uint32_t frameLength(std::string_view header)
{
    auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(header[i])); };
    return (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
}

} // namespace ravelin::ipc
