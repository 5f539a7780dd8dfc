#include "config/PresetFile.h"

#include <cstdint>
#include <fstream>
#include <system_error>

namespace ravelin {

namespace {

void putU16(std::string& out, std::uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>(value >> 8));
}

void putU32(std::string& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}

bool putString(std::string& out, std::string_view text)
{
    if (text.size() > kMaxPresetString)
        return false;
    putU16(out, static_cast<std::uint16_t>(text.size()));
    out.append(text);
    return true;
}

// Reads forward through the bytes; every take is bounds-checked first.
class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}

    std::size_t left() const { return m_bytes.size() - m_at; }

    bool u16(std::uint16_t& value)
    {
        if (left() < 2)
            return false;
        value = static_cast<std::uint16_t>(byte(0) | byte(1) << 8);
        m_at += 2;
        return true;
    }

    bool u32(std::uint32_t& value)
    {
        if (left() < 4)
            return false;
        value = byte(0) | byte(1) << 8 | byte(2) << 16 | static_cast<std::uint32_t>(byte(3)) << 24;
        m_at += 4;
        return true;
    }

    bool string(std::string& value)
    {
        std::uint16_t length = 0;
        if (!u16(length) || left() < length)
            return false;
        value.assign(m_bytes.substr(m_at, length));
        m_at += length;
        return true;
    }

private:
    std::uint32_t byte(std::size_t offset) const { return static_cast<unsigned char>(m_bytes[m_at + offset]); }

    std::string_view m_bytes;
    std::size_t m_at = 0;
};

PresetReadResult failed(std::string why) { return {std::nullopt, std::move(why)}; }

} // namespace

std::string SanitizePresetName(std::string_view answer)
{
    std::string name(answer);
    for (char& c : name)
        if (c == ' ')
            c = '_';
    for (char removed : {'/', '\\', ':', '?', '"', '*', '<', '>', '|'})
        std::erase(name, removed);
    return name;
}

std::optional<std::string> encodePreset(const PresetRecord& record)
{
    if (record.Commands.size() > INT32_MAX)
        return std::nullopt;
    std::string out;
    if (!putString(out, record.DisplayName) || !putString(out, record.FileName))
        return std::nullopt;
    putU16(out, 1);
    putU32(out, static_cast<std::uint32_t>(record.Commands.size()));
    putU32(out, 0);
    for (const std::string& command : record.Commands)
        if (!putString(out, command))
            return std::nullopt;
    return out;
}

PresetReadResult decodePreset(std::string_view bytes)
{
    Reader in(bytes);
    PresetRecord record;
    if (!in.string(record.DisplayName))
        return failed("the display name runs past the end of the file");
    if (!in.string(record.FileName))
        return failed("the file name runs past the end of the file");
    std::uint16_t dimensions = 0;
    std::uint32_t count = 0;
    std::uint32_t lowerBound = 0;
    if (!in.u16(dimensions) || !in.u32(count) || !in.u32(lowerBound))
        return failed("the file ends inside the command list's header");
    if (dimensions != 1 || lowerBound != 0)
        return failed("the command list is not a one-dimensional list from 0");
    // Each entry takes at least its two length bytes: a count the rest of
    // the file cannot hold is refused before anything is read for it.
    if (count > in.left() / 2)
        return failed("the file claims " + std::to_string(count) + " commands but is too short for them");
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string command;
        if (!in.string(command))
            return failed("command " + std::to_string(i + 1) + " runs past the end of the file");
        record.Commands.push_back(std::move(command));
    }
    if (in.left() != 0)
        return failed(std::to_string(in.left()) + " bytes follow the preset");
    return {std::move(record), {}};
}

PresetReadResult readPresetFile(const std::filesystem::path& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return failed(error.message());
    if (size > kMaxPresetFileSize)
        return failed("the file is too large to be a preset");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return failed("the file cannot be opened");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (file.gcount() != static_cast<std::streamsize>(bytes.size()))
        return failed("the file cannot be read");
    // A file that grew since its size was taken is not read half-way.
    if (file.peek() != std::char_traits<char>::eof())
        return failed("the file changed while it was read");
    return decodePreset(bytes);
}

} // namespace ravelin
