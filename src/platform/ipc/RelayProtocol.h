// The relay's wire protocol: the console protocol (IpcProtocol.h) carried
// over one byte stream (ssh's stdin and stdout) for every console of the
// user on the far machine. Frames as in IpcProtocol.h: a 4-byte big-endian
// length, then the payload.
//
// The relay speaks first: one hello frame, kRelayMagic then version:u32.
// A client that reads anything else is not talking to a relay (a login
// banner on stdout, an older or newer relay) and says so.
//
//   request = tag:u32 op:u8 arguments...
//   answer  = tag:u32 status:u8 result...
//
// The tag is the client's own number, echoed, so answers and pushed lines
// can share the stream; requests are answered in order except Status,
// whose answer comes when the server replied (or did not, within a second).
//
//   op          arguments                        result (status Ok)
//   List        -                                count:u32 then count x (console:u32 responding:u8)
//   Forward     console:u32 then a console        the host's answer as it came
//               request (op:u8 window:u8 ...)    (status:u8 result...)
//   Subscribe   console:u32 after:u64            -, then pushes with the same tag:
//                                                status Ok and a batch, until a push
//                                                with status NoConsole ends it
//   Unsubscribe tag:u32 (of the Subscribe)       -
//   Status      console:u32                      reply:string (the server's
//                                                UDP status reply, sent and read
//                                                by the relay on its loopback;
//                                                empty when none came)
//   DumpRead    console:u32 path:string remove:u8  present:u8 content:string
//                                                (only the cvar dump file under
//                                                that server's own folders)
//
// `console` is the console's number on the far machine (its host's pid).
// Status Local answers the operations that act on the far desktop (show,
// hide, focus) with a message; Failed carries a message; Malformed ends the
// connection. Nothing else is answered: the relay runs no command and opens
// no file but the dump.
#pragma once

#include "platform/ipc/IpcProtocol.h"

#include <cstdint>
#include <string_view>

namespace ravelin::ipc {

inline constexpr std::string_view kRelayMagic = "ravelin-relay";
inline constexpr std::uint32_t kRelayVersion = 1;
inline constexpr std::size_t kMaxRelayRequest = kMaxRequestPayload + 16;

enum class RelayOp : std::uint8_t {
    List = 1,
    Forward = 2,
    Subscribe = 3,
    Unsubscribe = 4,
    Status = 5,
    DumpRead = 6,
};

enum class RelayStatus : std::uint8_t {
    Ok = 0,
    NoConsole = 1,
    Malformed = 2,
    Local = 3,
    Failed = 4,
};

inline constexpr const char* kLocalOperation =
    "showing, hiding and focusing a console are operations of the machine it runs on; "
    "over the relay the console stays as it is";

// The name of the file a cvar dump is written to; the only file the relay reads.
inline constexpr std::string_view kRelayDumpName = "ravelin_tmp.cfg";

} // namespace ravelin::ipc
