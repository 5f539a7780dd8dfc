#include "clients/StatusReply.h"

#include <algorithm>
#include <cctype>

namespace ravelin {

std::string StatusQueryDatagram() { return std::string("\xff\xff\xff\xffgetstatus", 13); }

bool IsStatusReply(std::string_view datagram)
{
    static constexpr std::string_view word = "response";
    auto it = std::search(datagram.begin(), datagram.end(), word.begin(), word.end(),
                          [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    return it != datagram.end();
}

std::vector<std::string> ParseStatusReply(std::string_view reply)
{
    static constexpr std::string_view marker = "\xff\xff\xff\xffstatus";
    std::string text;
    text.reserve(reply.size());
    for (std::size_t i = 0; i < reply.size();) {
        if (reply.substr(i, marker.size()) == marker) {
            i += marker.size();
            continue;
        }
        text += reply[i++];
    }
    std::vector<std::string> players;
    // Drop the header line, then the info line; the rest is the players.
    std::size_t lf = text.find('\n');
    if (lf == std::string::npos)
        return players;
    std::string_view rest = std::string_view(text).substr(lf + 1);
    lf = rest.find('\n');
    if (lf == std::string_view::npos)
        return players;
    rest.remove_prefix(lf + 1);
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find('\n', start);
        if (end == std::string_view::npos)
            end = rest.size();
        if (end > start)
            players.emplace_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return players;
}

} // namespace ravelin
