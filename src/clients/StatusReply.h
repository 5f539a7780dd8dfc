// The out-of-band status query and its reply: the 13-byte query datagram,
// the test that a datagram is a status reply, and the player lines the reply
// carries (score, ping and the quoted name, one per line).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

// FF FF FF FF getstatus.
std::string StatusQueryDatagram();
// A datagram counts as a status reply when it contains "Response" in any case.
bool IsStatusReply(std::string_view datagram);
// The player lines of a status reply, in order, without empty lines.
std::vector<std::string> ParseStatusReply(std::string_view reply);

} // namespace ravelin
