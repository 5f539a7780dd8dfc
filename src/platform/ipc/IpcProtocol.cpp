#include "platform/ipc/IpcProtocol.h"

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

std::uint32_t frameLength(std::string_view header)
{
    auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(header[i])); };
    return (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
}

} // namespace ravelin::ipc
