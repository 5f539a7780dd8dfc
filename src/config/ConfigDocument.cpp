#include "config/ConfigDocument.h"

#include <algorithm>

namespace ravelin {

ConfigDocument::ConfigDocument(std::string_view bytes) : m_bytes(bytes)
{
    std::size_t start = 0;
    std::size_t lf = 0;
    std::size_t crlf = 0;
    std::size_t cr = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r')
            continue;
        m_lines.emplace_back(bytes.substr(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            m_endings.emplace_back("\r\n");
            ++crlf;
            ++i;
        } else {
            m_endings.emplace_back(1, c);
            ++(c == '\n' ? lf : cr);
        }
        start = i + 1;
    }
    // The text after the last ending is a line of its own unless it is empty:
    // an empty file has no line, and a final ending starts none.
    if (start < bytes.size() || m_lines.empty()) {
        m_lines.emplace_back(bytes.substr(start));
        m_endings.emplace_back();
    }
    if (crlf > lf && crlf >= cr)
        m_usual = "\r\n";
    else if (cr > lf && cr > crlf)
        m_usual = "\r";
}

std::string ConfigDocument::bytesFor(const std::vector<std::string>& lines) const
{
    if (lines == m_lines)
        return m_bytes;
    const std::size_t oldCount = m_lines.size();
    const std::size_t newCount = lines.size();
    std::size_t head = 0;
    while (head < oldCount && head < newCount && lines[head] == m_lines[head])
        ++head;
    std::size_t tail = 0;
    while (tail < oldCount - head && tail < newCount - head
           && lines[newCount - 1 - tail] == m_lines[oldCount - 1 - tail])
        ++tail;

    const bool finalEnding = !m_endings.empty() && !m_endings.back().empty();
    std::vector<std::string_view> endings(newCount);
    for (std::size_t i = 0; i < newCount; ++i) {
        std::string_view ending;
        if (i < head)
            ending = m_endings[i];
        else if (i >= newCount - tail)
            ending = m_endings[oldCount - (newCount - i)];
        else if (i < oldCount && lines[i] == m_lines[i])
            ending = m_endings[i];
        else
            ending = m_usual;
        // The file's last line decides whether the file ends in a line end.
        if (i + 1 == newCount)
            ending = finalEnding ? (ending.empty() ? std::string_view(m_usual) : ending) : std::string_view();
        else if (ending.empty())
            ending = m_usual;
        endings[i] = ending;
    }
    // A lone CR that an edit put before an empty line ending in LF would
    // read back as one CR LF, losing that line; it becomes a CR LF itself.
    for (std::size_t i = 0; i + 1 < newCount; ++i)
        if (endings[i] == "\r" && lines[i + 1].empty() && !endings[i + 1].empty() && endings[i + 1].front() == '\n')
            endings[i] = "\r\n";
    std::string out;
    out.reserve(m_bytes.size() + 64);
    for (std::size_t i = 0; i < newCount; ++i) {
        out += lines[i];
        out += endings[i];
    }
    return out;
}

} // namespace ravelin
