// A configuration file held so that saving it never rewrites what nobody
// edited.
//
// In: the file's bytes. The text is split into lines at LF, CR LF or a lone
// CR (the engine ends a command at either byte); each line keeps its own
// ending, so a file with mixed endings, trailing blanks, Latin-1 bytes or
// no final line end comes back byte for byte. The editor works on the lines
// without their endings.
//
// Out: the bytes for an edited list of lines. The lines the edit did not
// touch (the common head and tail of old and new, and in between every
// line still equal to the old one at the same place) keep their endings;
// a new line gets the ending the file uses most. The last line keeps the
// file's choice of having a final line end or not.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

class ConfigDocument {
public:
    ConfigDocument() = default;
    explicit ConfigDocument(std::string_view bytes);

    const std::string& bytes() const { return m_bytes; }
    const std::vector<std::string>& lines() const { return m_lines; }
    // The ending of each line: "\n", "\r\n", "\r", or "" for a last line
    // without one.
    const std::vector<std::string>& endings() const { return m_endings; }
    // The ending most lines use ("\n" when the file has none).
    const std::string& usualEnding() const { return m_usual; }

    // The file's bytes with `lines` in place of its lines.
    std::string bytesFor(const std::vector<std::string>& lines) const;

private:
    std::string m_bytes;
    std::vector<std::string> m_lines;
    std::vector<std::string> m_endings;
    std::string m_usual = "\n";
};

} // namespace ravelin
