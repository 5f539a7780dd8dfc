// The command line `txtOut`: Enter, the history and its browsing, inline
// completion, the two popups, and the Intellisense and DosKey settings.
//
// Enter sends the typed line and records it in `CommandHistory` (at most
// 100 lines, oldest dropped, empty lines too), except two words: a line
// reading RAM_STATUS runs the RAM report instead, and any line holding
// "quit" is refused (the server is stopped with the window's buttons). On
// every key release but Backspace and Delete the line is completed inline:
// the first history entry, oldest first, then the first of the 47 known
// commands, in list order, that matches the typed text followed by "*" as a
// VB `Like` pattern (both upper-cased), is appended after the typed text
// and selected, so typing on replaces it.
//
// Completion runs only while `Intellisense` is on and Up/Down browse only
// while `DosKey` is on. Both are stored as "0"/"1" under "Settings"; a
// missing or unreadable value counts as on.
//
// The logic works on the box through CommandLineView (text, selection,
// popups); key codes are the platform's (13 Enter, 8 Backspace, 46 Delete,
// 38 Up, 40 Down).
#pragma once

#include "platform/Dialogs.h"
#include "platform/SettingsStore.h"

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace ravelin {

class CommandLineView {
public:
    struct PopupRow {
        std::string text;
        int itemData = 0;
    };

    virtual ~CommandLineView() = default;
    virtual std::string text() const = 0;
    // Replaces the text; the caret goes to its end.
    virtual void setText(const std::string& text) = 0;
    virtual int selStart() const = 0;
    virtual int selLength() const = 0;
    virtual void setSelection(int start, int length) = 0;
    // Puts `text` in place of the selection (at the caret when none).
    virtual void replaceSelection(const std::string& text) = 0;
    virtual void focusCommandLine() = 0;
    // lstHistory: refilled with `rows`, row `selected` chosen, shown, focused.
    virtual void showHistoryPopup(const std::vector<PopupRow>& rows, int selected) = 0;
    virtual void hideHistoryPopup() = 0;
    // lstCmd: shown and focused.
    virtual void showCommandPopup() = 0;
    virtual void hideCommandPopup() = 0;
    // chkIntel and chkDoskey.
    virtual void showIntellisense(int value) = 0;
    virtual void showDosKey(int value) = 0;
};

class CommandLine {
public:
    static constexpr int kHistoryLimit = 100;
    static constexpr int kClearRowData = 1024;
    static constexpr const char* kClearRow = "---- CLEAR LIST ----";
    static constexpr const char* kRefused = "Please use the 'STOP' or 'Quit' buttons!";
    static constexpr const char* kRefusedTitle = "Action Failed";
    static constexpr const char* kSettingsSection = "Settings";
    static constexpr int kEnter = 13;
    static constexpr int kBackspace = 8;
    static constexpr int kDelete = 46;
    static constexpr int kUp = 38;
    static constexpr int kDown = 40;
    // lstCmd's entries; also the search order of completion.
    static const std::array<const char*, 47> kCommands;

    struct Hooks {
        // Sends a line to the server (the session refuses when the console
        // is gone).
        std::function<void(const std::string&)> send;
        // The RAM status report.
        std::function<void()> ramStatus;
    };

    CommandLine(SettingsStore& settings, Dialogs& dialogs, Hooks hooks)
        : m_settings(settings), m_dialogs(dialogs), m_hooks(std::move(hooks))
    {}

    void setView(CommandLineView* view) { m_view = view; }

    // Key events of the box. keyDown and keyPress say whether the key is
    // swallowed (the box must not act on it).
    bool txtOut_KeyDown(int keyCode);
    bool txtOut_KeyPress(char character);
    void txtOut_KeyUp(int keyCode);
    void txtOut_GotFocus();
    // Enter on a line: the word checks, the history, the send.
    void enter(const std::string& line);

    void imgHistory_Click();
    // A click on lstHistory; row -1 when none is selected.
    void lstHistory_Click(int row, const std::string& text, int itemData);
    void imgCommands_Click();
    void lstCmd_Click(int row, const std::string& text);

    // The settings; reading gives 1 when missing.
    int Intellisense();
    void setIntellisense(int value);
    // DosKey: Up and Down browse the history of sent lines.
    int DosKey();
    void setDosKey(int value);
    // Activation: DosKey, then Intellisense, read and written back, which
    // brings the check boxes in line with the store.
    void applySettings();

    const std::deque<std::string>& CommandHistory() const { return m_history; }
    int HistoryPos() const { return m_historyPos; }

private:
    int readSetting(const char* key);
    void writeSetting(const char* key, int value);
    void complete();
    void browseUp();
    void browseDown();

    SettingsStore& m_settings;
    Dialogs& m_dialogs;
    Hooks m_hooks;
    CommandLineView* m_view = nullptr;
    std::deque<std::string> m_history;
    int m_historyPos = 0;
};

} // namespace ravelin
