#include "platform/LineRing.h"

#include <algorithm>

namespace ravelin {

std::uint64_t LineRing::add(std::string_view text, bool continues)
{
    if (text.size() + 1 > kBlockBytes)
        text = text.substr(0, kBlockBytes - 1);
    if (m_blocks.empty() || m_blocks.back().data.size() + text.size() + 1 > kBlockBytes) {
        Block block;
        block.first = m_next;
        block.data.reserve(kBlockBytes);
        // Short lines: a block holds a few thousand.
        block.ends.reserve(4096);
        m_bytes += block.held();
        m_blocks.push_back(std::move(block));
    }
    Block& block = m_blocks.back();
    std::size_t before = block.held();
    block.data.push_back(continues ? '\1' : '\0');
    block.data.append(text);
    block.ends.push_back(static_cast<std::uint32_t>(block.data.size()));
    m_bytes += block.held() - before;
    // Whole blocks leave from the old end; the newest block always stays.
    while (m_bytes > m_maxBytes && m_blocks.size() > 1) {
        m_bytes -= m_blocks.front().held();
        m_blocks.pop_front();
    }
    return m_next++;
}

void LineRing::visitFrom(std::uint64_t from,
                         const std::function<bool(std::uint64_t, bool, std::string_view)>& visit) const
{
    auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), from,
                               [](std::uint64_t number, const Block& block) { return number < block.first; });
    if (it == m_blocks.begin())
        return;
    for (--it; it != m_blocks.end(); ++it) {
        const Block& block = *it;
        for (std::size_t i = from - block.first; i < block.ends.size(); ++i) {
            std::size_t start = i == 0 ? 0 : block.ends[i - 1];
            std::string_view line(block.data.data() + start, block.ends[i] - start);
            if (!visit(block.first + i, line.front() != '\0', line.substr(1)))
                return;
        }
        from = block.first + block.ends.size();
    }
}

LineBatch LineRing::read(std::uint64_t after, std::size_t maxBytes) const
{
    LineBatch batch;
    batch.ok = true;
    batch.newest = newest();
    std::uint64_t from = after + 1;
    if (after >= batch.newest)
        return batch;
    if (from < oldest()) {
        batch.missed = oldest() - from;
        from = oldest();
    }
    batch.first = from;
    std::size_t taken = 0;
    visitFrom(from, [&](std::uint64_t, bool continues, std::string_view text) {
        if (!batch.lines.empty() && taken + text.size() > maxBytes)
            return false;
        // Five bytes frame each line in an answer.
        taken += text.size() + 5;
        batch.lines.push_back({std::string(text), continues});
        return true;
    });
    return batch;
}

std::uint64_t LineRing::tailStart(std::size_t chars) const
{
    // Walk the blocks from the newest end.
    std::uint64_t start = newest();
    std::size_t used = 0;
    for (auto it = m_blocks.rbegin(); it != m_blocks.rend(); ++it) {
        for (std::size_t i = it->ends.size(); i-- > 0;) {
            std::size_t begin = i == 0 ? 0 : it->ends[i - 1];
            std::size_t length = it->ends[i] - begin - 1 + 2;
            if (used + length > chars)
                return start;
            used += length;
            start = it->first + i - 1;
        }
    }
    return start;
}

void LineAssembler::feed(std::string_view text, const Sink& sink)
{
    while (!text.empty()) {
        std::size_t end = text.find("\r\n");
        // A CR at the end of the held text whose LF starts this text.
        if (!m_partial.empty() && m_partial.back() == '\r' && text.front() == '\n') {
            m_partial.pop_back();
            sink(m_partial, false);
            m_partial.clear();
            text.remove_prefix(1);
            continue;
        }
        std::string_view piece = end == std::string_view::npos ? text : text.substr(0, end);
        if (m_partial.empty() && end != std::string_view::npos && piece.size() <= kMaxPiece) {
            sink(piece, false);
        } else {
            m_partial.append(piece);
            while (m_partial.size() > kMaxPiece) {
                sink(std::string_view(m_partial).substr(0, kMaxPiece), true);
                m_partial.erase(0, kMaxPiece);
            }
            if (end != std::string_view::npos) {
                sink(m_partial, false);
                m_partial.clear();
            }
        }
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 2);
    }
}

} // namespace ravelin
