// The cvars tab: the dump a click on the tab starts, the table it fills,
// sorting, type-to-search and the editing dialog.
//
// The rows come from the server's `cvarlist` (every cvar, with its flags),
// run for its output alone, with the values of the archived cvars taken
// from the dump (the console strips colour codes, the file keeps them);
// where an engine has no cvarlist, from the dump alone. The dump: the
// server is told to WRITECONFIG a temporary file, the table
// waits for the file to appear and stop growing, reads it, deletes it and
// loads the rows. Where the file lands depends on the engine, learned once
// at load through the probe:
//   - Quake III 1.32 writes under its game folder and accepts "..", so
//     "WRITECONFIG ..\ravelin_tmp.cfg" lands in fs_basepath (`GameBasePath`);
//   - the ioq3 engine (OpenArena and the other current games; it answers for
//     com_basegame) refuses "..": "WRITECONFIG ravelin_tmp.cfg" lands in
//     <fs_homepath>/<fs_game, else com_basegame>/.
// The wait runs on the page's poll timer, so the window stays live, and it
// is bounded: after kDumpLimit the operator is told which file never came,
// and the table keeps its rows. A click on the tab while a dump runs is
// ignored.
#pragma once

#include "config/CvarList.h"
#include "config/CvarsView.h"
#include "config/SetVarForm.h"
#include "console/CvarProbe.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace ravelin {

inline constexpr const char* kCvarDumpName = "ravelin_tmp.cfg";

struct CvarDumpTarget {
    std::string command; // the WRITECONFIG line to send
    std::filesystem::path file; // where the server will write it
};

// The target for what the server answered at load: `baseGame` is its
// com_basegame (UNKNOWN COMMAND on 1.32), `homePath` and `fsGame` its
// fs_homepath and fs_game.
CvarDumpTarget cvarDumpTarget(const std::string& gameBasePath, const std::string& baseGame, const std::string& homePath,
                              const std::string& fsGame);

class CvarTable {
public:
    static constexpr std::chrono::milliseconds kDumpLimit{10000};
    static constexpr int kPollMs = 10;
    // A file shorter than this is still being written (or empty).
    static constexpr std::size_t kMinDumpSize = 20;
    static constexpr const char* kItemNotFound = "Item not found";

    CvarTable(ConsoleBridge& bridge, CvarProbe& probe, Dialogs& dialogs, Clock& clock, const bool& unloading)
        : m_bridge(bridge), m_probe(probe), m_dialogs(dialogs), m_clock(clock), m_unloading(unloading)
    {}

    void setView(CvarsView* view) { m_view = view; }

    // Load: asks the server where its WRITECONFIG writes.
    void learnDumpTarget(const std::string& gameBasePath);
    const CvarDumpTarget& dumpTarget() const { return m_target; }
    // What the server answered at load for com_basegame, fs_homepath and
    // fs_game (the last two asked only of an engine that knows the first).
    const std::string& baseGame() const { return m_baseGame; }
    const std::string& homePath() const { return m_homePath; }
    const std::string& fsGame() const { return m_fsGame; }
    void setDumpLimit(std::chrono::milliseconds limit) { m_limit = limit; }

    // A click on the cvars tab (also when it is selected already).
    void startDump();
    bool dumpRunning() const { return m_state != State::Idle; }
    // The poll timer's tick while a dump runs.
    void tmrCvarDump_Timer();
    // The message a dump that never came gives.
    std::string timeoutMessage() const;

    // Table events. The column is 1-based, as the header reports it.
    void lvCVars_ColumnClick(int column);
    void lvCVars_KeyPress(char typed);
    void lvCVars_DblClick();
    void txtFind_Enter(const std::string& text);
    void txtFind_LostFocus();

    const CvarList& list() const { return m_list; }
    // Number of fills so far (a dialog open across a reload must not write
    // into a row that is no longer the one it was opened from).
    int fills() const { return m_fills; }

private:
    enum class State { Idle, Waiting, Reading };
    void finish(const std::string& text);
    void fill(std::vector<CvarRow> rows);
    void stop();
    void removeDump();

    ConsoleBridge& m_bridge;
    CvarProbe& m_probe;
    Dialogs& m_dialogs;
    Clock& m_clock;
    const bool& m_unloading;
    CvarsView* m_view = nullptr;
    CvarDumpTarget m_target;
    std::string m_baseGame;
    std::string m_homePath;
    std::string m_fsGame;
    std::chrono::milliseconds m_limit = kDumpLimit;
    State m_state = State::Idle;
    Clock::TimePoint m_deadline{};
    std::string m_previous;
    CvarList m_list;
    // What cvarlist gave for the dump in progress (empty: no cvarlist).
    std::vector<CvarRow> m_listed;
    int m_fills = 0;
};

} // namespace ravelin
