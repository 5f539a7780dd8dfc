// Numbered console lines: every complete output line gets the next 64-bit
// number (from 1) and the newest lines are kept in a ring bounded by bytes.
// Lines live packed in blocks of kBlockBytes (a flag byte and the text, and
// a 4-byte offset per line), and whole blocks leave from the old end, so the
// memory held stays within the bound plus one block whatever the line
// lengths. Readers ask for the lines after a number and learn how many of
// those already left the ring.
//
// LineAssembler cuts CR LF text into lines: the text after the last CR LF
// waits for its end, and a line that grows past kMaxPiece without one is
// handed on in pieces, each but the last marked as continued.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

struct NumberedLine {
    std::string text;
    // A piece of a longer line: the rest has the next number.
    bool continues = false;
};

// Lines after some number, as a ring or a host hands them out.
struct LineBatch {
    bool ok = false;
    std::uint64_t first = 0; // number of lines[0]
    std::uint64_t missed = 0; // lines asked for that had already left
    std::uint64_t newest = 0; // the newest number there is (0: none yet)
    std::vector<NumberedLine> lines;
};

class LineRing {
public:
    static constexpr std::size_t kDefaultBytes = 16u * 1024 * 1024;
    static constexpr std::size_t kBlockBytes = 256 * 1024;

    explicit LineRing(std::size_t maxBytes = kDefaultBytes, std::uint64_t newest = 0)
        : m_maxBytes(maxBytes), m_next(newest + 1)
    {}

    // Adds a line (at most a block long); returns its number.
    std::uint64_t add(std::string_view text, bool continues = false);
    std::uint64_t newest() const { return m_next - 1; }
    std::uint64_t oldest() const { return m_blocks.empty() ? m_next : m_blocks.front().first; }
    // Bytes held, block capacities and offsets counted.
    std::size_t bytes() const { return m_bytes; }
    std::size_t maxBytes() const { return m_maxBytes; }

    // The lines after `after`, at most about `maxBytes` (text and five bytes
    // a line; always at least one line when there is one).
    LineBatch read(std::uint64_t after, std::size_t maxBytes) const;
    // The number after which the newest lines fill `chars` characters, each
    // counted with its CR LF (a partial line does not count).
    std::uint64_t tailStart(std::size_t chars) const;

private:
    struct Block {
        std::uint64_t first = 0;
        std::string data; // flag byte + text per line
        std::vector<std::uint32_t> ends; // end offset of each line in data
        std::size_t held() const { return data.capacity() + ends.capacity() * sizeof(std::uint32_t); }
    };
    // Calls visit(number, flags, text) from line `from` on until it returns false.
    void visitFrom(std::uint64_t from, const std::function<bool(std::uint64_t, bool, std::string_view)>& visit) const;

    std::size_t m_maxBytes;
    std::size_t m_bytes = 0;
    std::uint64_t m_next = 1;
    std::deque<Block> m_blocks;
};

class LineAssembler {
public:
    static constexpr std::size_t kMaxPiece = 64 * 1024;
    using Sink = std::function<void(std::string_view line, bool continues)>;

    // Text with CR LF line ends; every complete line (without its CR LF)
    // goes to `sink`.
    void feed(std::string_view text, const Sink& sink);
    const std::string& partial() const { return m_partial; }

private:
    std::string m_partial;
};

} // namespace ravelin
