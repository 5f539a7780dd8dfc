// The state of one console window, whoever shows it: the output box, the
// input line, the three buttons and the visibility flag. Server output comes
// in as raw bytes and is shown the way the original console window shows it:
// line ends become CR LF, colour codes (a caret and one following character
// other than a caret) are dropped, and text that would pass 32767 characters
// replaces the whole box. Entering the input line queues the line for the
// server, each at most 255 bytes with its LF, because the engines read their
// piped input 256 bytes per read and drop the last byte of each read; they
// run every line of one read, so queued lines go out joined, as many whole
// lines as fit in 255 bytes. "]" + line is echoed once the server has taken
// the line (so the echo tells a client that the server has it). The input
// line holds at most kMaxInputBytes.
//
// Every line that reaches the box is also numbered into a ring (LineRing.h),
// which is what clients read: the box is only what a person sees. A command
// run for its output (startExec) goes to the server between two echoed
// markers in one write; the lines from the first marker to the second are
// the command's own and reach neither the box nor the ring.
//
// Plain C++: the Qt window and the socket server both drive this and listen
// to its events.
#pragma once

#include "platform/LineRing.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin::consolehost {

class ConsoleModel {
public:
    static constexpr std::size_t kOutputLimit = 32767;
    // Longest line the server can take in one read, line end included.
    static constexpr std::size_t kMaxLineBytes = 255;
    // Lines waiting for a server that does not read; more are dropped.
    static constexpr std::size_t kMaxQueuedLines = 4096;
    // The input line's limit; longer text is refused with a note.
    static constexpr std::size_t kMaxInputBytes = 1024;

    struct Events {
        // The output box changed: `replaced` means the whole text is new
        // (cleared or replaced), otherwise `appended` was added at the end.
        std::function<void(bool replaced, std::string_view appended)> outputChanged;
        std::function<void()> inputChanged;
        // One character typed at the end of the input line (8: one taken
        // back), so a window need not show the whole line again.
        std::function<void(char character)> inputTyped;
        // The input line was entered (and is empty now).
        std::function<void()> inputEntered;
        std::function<void(bool visible)> visibilityChanged;
        std::function<void()> lineQueued;
        std::function<void(const std::string& text)> copyRequested;
        std::function<void()> focusRequested;
        // New numbered lines are in the ring.
        std::function<void()> linesAdded;
    };

    // A command run for its output.
    struct Exec {
        std::string begin;
        std::string end;
        bool taken = false; // the server read it
        bool capturing = false; // its first marker came back
        bool done = false; // its second marker came back
        bool cut = false; // more output than kMaxExecBytes
        std::vector<std::string> lines;
        std::size_t bytes = 0;
    };
    // A command's output kept, five bytes counted for each line's framing.
    static constexpr std::size_t kMaxExecBytes = 1024 * 1024;
    static constexpr std::size_t kMaxExecs = 64;

    ConsoleModel();

    void setEvents(Events events) { m_events = std::move(events); }

    // Raw server output (stdout and stderr, in the order read).
    void serverOutput(std::string_view bytes);
    // The host's own remarks ("server exited", "line cut"): LF becomes
    // CR LF, nothing else is touched.
    void note(std::string_view text);

    const std::string& output() const { return m_output; }
    // Complete lines of the output (CR LF pairs), -1 for an empty box.
    int lineCount() const { return m_output.empty() ? -1 : m_lineEnds; }
    void setOutput(std::string_view text);
    void clearOutput();

    const std::string& input() const { return m_input; }
    void setInput(std::string_view text);
    // A typed character: 13 runs the line, 8 takes the last one back,
    // anything else is added.
    void typeChar(char character);
    // Runs the input line: echo, queue for the server, empty the line.
    void enter();
    // Queues a command for the server as if entered (the "quit" button).
    void submit(std::string_view line);

    void buttonDown(int button);
    void buttonUp(int button);
    void click(int button);

    // Starts a command run for its output: its id, or 0 with `error`.
    std::uint64_t startExec(std::string_view command, std::string& error);
    const Exec* exec(std::uint64_t id) const;
    // The caller is done with it (answered, or given up on).
    void forgetExec(std::uint64_t id);
    // The server is gone: no command run for its output will end.
    void failExecs();

    LineRing& ring() { return m_ring; }
    const LineRing& ring() const { return m_ring; }
    void setRingBytes(std::size_t bytes) { m_ring = LineRing(bytes); }
    // Takes over the lines a previous self of this host kept.
    void restoreLines(std::size_t ringBytes, std::uint64_t first, const std::vector<NumberedLine>& lines);

    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    void requestFocus();

    // The feeding queue: lines with their LF, each within kMaxLineBytes.
    bool hasQueuedLine() const { return !m_queue.empty(); }
    std::string takeQueuedLine();
    std::size_t queuedLines() const { return m_queue.size(); }
    // The next write to the server: as many whole queued lines as fit in
    // `maxBytes` (at least one), joined. They are in flight until
    // inputTaken() echoes them, or dropInFlight() forgets them.
    std::string takeBatch(std::size_t maxBytes = kMaxLineBytes);
    bool hasInFlight() const { return !m_inFlight.empty(); }
    void inputTaken();
    void dropInFlight() { m_inFlight.clear(); }
    // The queue as it stands, and a queue taken over from a previous host.
    std::vector<std::string> queueCopy() const;
    void restoreQueue(const std::vector<std::string>& lines);
    // Whether entered lines still go anywhere (false once the server ended).
    void setAcceptingLines(bool accepting) { m_accepting = accepting; }

private:
    struct Queued {
        std::string text;
        std::uint64_t exec = 0; // a command run for its output: no echo
    };
    void appendShown(std::string text);
    void number(std::string_view text);
    void route(std::string text);
    bool execsOpen() const;
    void queueLine(std::string_view line);
    void echo(std::string_view line);
    void refuseInput();

    Events m_events;
    std::string m_output;
    std::string m_input;
    bool m_visible = true;
    bool m_accepting = true;
    int m_pressed = -1;
    // A caret or CR at the very end of a read waits for the next byte,
    // which decides what it is.
    bool m_heldCaret = false;
    bool m_heldCr = false;
    std::deque<Queued> m_queue;
    std::deque<Queued> m_inFlight;
    LineRing m_ring;
    LineAssembler m_assembler;
    std::map<std::uint64_t, Exec> m_execs;
    std::uint64_t m_lastExec = 0;
    std::uint64_t m_capturing = 0;
    std::string m_tokenBase;
    // Server text held back while a command's markers may be in it.
    std::string m_routed;
    bool m_droppedNoted = false;
    bool m_inputNoted = false;
    int m_lineEnds = 0;
};

} // namespace ravelin::consolehost
