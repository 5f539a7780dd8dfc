// The wire protocol between a console host (ravelin-console) and the clients
// that drive its window (IpcWindowManager in ravelin, the command-line
// client). Plain bytes over a Unix stream socket; one socket per host.
//
// Endpoints. Every host listens on a socket in the endpoint folder
// ($XDG_RUNTIME_DIR/ravelin/consoles, else /tmp/ravelin-<uid>/consoles),
// named "<start time in ns, 16 hex digits>-<host pid>.sock", so that sorting
// the names gives the hosts in the order they started and the name alone
// tells the host's pid. The folder and its parent are created 0700 and are
// refused when they are not directories owned by us, closed to group and
// others. A host accepts only peers of its own user id (SO_PEERCRED) and a
// client checks the host's id the same way.
//
// Frames. Every request and every answer is a frame: a 4-byte big-endian
// payload length, then the payload. A request's payload is at most
// kMaxRequestPayload bytes; an answer's at most kMaxAnswerPayload.
//
//   request  = op:u8  window:u8  arguments...
//   answer   = status:u8  result...
//
// `window` names the host's own windows: 0 the top-level console window,
// 1 the input line ("Edit"), 2..4 the buttons "copy", "clear", "quit"
// ("Button"), 5 the output box ("Edit") — the order a child walk sees them.
// Integers are big-endian u32; a "string" is a u32 length and that many
// bytes (no encoding: text is bytes end to end).
//
//   op            arguments          result (status Ok)
//   Describe      -                  version:u32 hostPid:u32 serverPid:u32
//                                    class:string title:string
//                                    count:u8 then count x (class:string caption:string)
//   TextLength    -                  length:u32        (edit boxes; others: caption)
//   GetText       capacity:u32       the text, at most capacity - 1 bytes, to the end
//   SetText       the text, to the end   -
//   Char          character:u8       -   (13 on the input line runs it)
//   ButtonDown    -                  -
//   ButtonUp      -                  -   (down then up on a button clicks it)
//   Show          visible:u8 [display:string]  -  (a host without its display
//                                    shows its window on that one)
//   IsVisible     -                  visible:u8
//   Focus         -                  -
//   LineCount     -                  count:u32  (CR LF pairs of an edit box;
//                                    0xFFFFFFFF when it is empty)
//
// Describe's answer ends with features:u32 (kFeatureLineCount,
// kFeatureNumberedLines); a host that predates it sends none, and its clients
// count lines from the text.
//
// Numbered lines (window 0). The host numbers every output line from 1 and
// keeps the newest in a ring bounded by bytes. A u64 is big-endian; a "line"
// is flags:u8 (kLineContinues: a piece of a line longer than kMaxLinePiece,
// the rest follows in the next number) then a string.
//
//   ReadLines     after:u64 maxBytes:u32   batch (below): lines after `after`
//   LineMark      chars:u32          newest:u64 start:u64 (`start`: the lines
//                                    after it are the newest `chars`
//                                    characters' worth, CR LF counted)
//   SendLine      the line, to the end   -  (typed whole: nothing a client
//                                    left in the input line is touched)
//   ExecStart     timeoutMs:u32 the command, to the end   id:u64 (0, then
//                                    error:string, when it cannot run)
//   ExecResult    id:u64             state:u8 (0 running, 1 done, 2 failed)
//                                    error:string count:u32 then count x line
//   Subscribe     after:u64          -, then batches pushed as lines arrive
//   Stats         -                  text:string (ring and subscriber facts)
//
//   batch = first:u64 missed:u64 newest:u64 count:u32 then count x line
//
// `first` numbers the first line of the batch; `missed` counts lines after
// `after` that already left the ring. A number in the future gives no lines.
// ExecStart sends the command between two markers the server echoes, in one
// write; what the server printed between them is the command's output and is
// kept from the window, the ring and every other client.
//
// Status NoWindow answers a window number the host does not have. A frame
// that cannot be parsed (unknown op, short arguments, oversized length) is
// answered with Malformed and a message, and the host closes the
// connection; a refused peer gets Refused before the close. Static facts
// (class names, captions, child order) come once with Describe and are
// cached by the client, so walking a console's children costs no traffic.
#pragma once

#include "platform/LineRing.h"
#include "platform/WindowManager.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ravelin::ipc {

inline constexpr std::uint32_t kProtocolVersion = 1;
inline constexpr std::size_t kFrameHeader = 4;
inline constexpr std::size_t kMaxRequestPayload = 64 * 1024 + 16;
inline constexpr std::size_t kMaxAnswerPayload = 4 * 1024 * 1024;

enum class Op : std::uint8_t {
    Describe = 1,
    TextLength = 2,
    GetText = 3,
    SetText = 4,
    Char = 5,
    ButtonDown = 6,
    ButtonUp = 7,
    Show = 8,
    IsVisible = 9,
    Focus = 10,
    LineCount = 11,
    ReadLines = 12,
    LineMark = 13,
    SendLine = 14,
    ExecStart = 15,
    ExecResult = 16,
    Subscribe = 17,
    Stats = 18,
    Supervise = 19,
};

inline constexpr std::uint32_t kFeatureLineCount = 1;
inline constexpr std::uint32_t kFeatureNumberedLines = 2;
// Supervise (window 0): action:u8 (SuperviseAction) -> state:u8
// (ServerState) starts:u32 (how often the server was started; a change means
// a restart) text:string ("running", "restarting in 4 s", "stopped after 5
// crashes", "ended").
inline constexpr std::uint32_t kFeatureSupervision = 4;
enum class SuperviseAction : std::uint8_t { Query = 0, Restart = 1, Stop = 2 };
enum class ServerState : std::uint8_t { Running = 0, Restarting = 1, Stopped = 2, Ended = 3 };
inline constexpr std::uint8_t kLineContinues = 1;
inline constexpr std::size_t kMaxLinePiece = 64 * 1024;

enum class ExecState : std::uint8_t { Running = 0, Done = 1, Failed = 2 };

enum class Status : std::uint8_t {
    Ok = 0,
    NoWindow = 1,
    Malformed = 2,
    Refused = 3,
};

// The host's windows, in child order.
enum HostWindow : std::uint8_t {
    kConsoleWindow = 0,
    kInputLine = 1,
    kCopyButton = 2,
    kClearButton = 3,
    kQuitButton = 4,
    kOutputBox = 5,
};
inline constexpr int kChildCount = 5;

// Builds a payload, then frames it.
class PayloadWriter {
public:
    PayloadWriter& u8(std::uint8_t value);
    PayloadWriter& u32(std::uint32_t value);
    PayloadWriter& u64(std::uint64_t value);
    PayloadWriter& string(std::string_view value);
    PayloadWriter& raw(std::string_view bytes);
    const std::string& payload() const { return m_payload; }
    std::string frame() const;

private:
    std::string m_payload;
};

// Reads a payload; any read past the end leaves ok() false and yields zeros.
class PayloadReader {
public:
    explicit PayloadReader(std::string_view payload) : m_data(payload) {}
    std::uint8_t u8();
    std::uint32_t u32();
    std::uint64_t u64();
    std::string string();
    std::string rest();
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos == m_data.size(); }

private:
    std::string_view m_data;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

std::string frame(std::string_view payload);
// A batch of numbered lines (without a status byte), both ways; decoding
// leaves `ok` false for a malformed batch.
std::string encodeBatch(const LineBatch& batch);
void putLine(PayloadWriter& writer, std::string_view text, bool continues);
LineBatch decodeBatch(PayloadReader& reader);
// The requests and answers of a command run for its output, read the same
// way whether the host is local or behind a relay.
std::string execStartArguments(std::string_view command, int timeoutMs);
std::uint64_t decodeExecStart(std::string_view answer, std::string& error);
ExecPoll decodeExecResult(std::string_view answer);
// The start of the last `chars` characters (LineMark's answer); ok false for
// an unreadable answer.
std::uint64_t decodeLineMark(std::string_view answer, bool& ok);
// The payload length announced by a frame header (4 bytes at `header`).
std::uint32_t frameLength(std::string_view header);

} // namespace ravelin::ipc
