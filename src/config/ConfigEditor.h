// The config editor page's logic: lists the server's configuration files,
// opens one, lints it as it is edited, saves it without losing a byte
// nobody changed, and runs it on the server with "exec", reading the
// server's answer against the file.
//
// Everything it needs from outside comes as services: the dialogs, the
// server's folders and start-up arguments (learned once, when first
// needed), a way to run a console command and get its output, and the
// cvar names the cvar table already holds. Opening another file, saving
// over a file changed on disk and running a file that stops the server
// each ask the operator first.
#pragma once

#include "config/CommandOutput.h"
#include "config/ConfigDocument.h"
#include "config/ConfigEditorView.h"
#include "platform/Dialogs.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ravelin {

struct ConfigEditorServices {
    Dialogs& dialogs;
    std::function<ServerFolders()> folders;
    // The server's command line ("+exec NAME" marks the start-up file).
    std::function<std::vector<std::string>()> serverArguments = {};
    RunCommand runCommand = {};
    // Cvar names the program already knows (the cvar table's rows).
    std::function<std::vector<std::string>()> knownCvars = {};
};

class ConfigEditor {
public:
    static constexpr const char* kNoFolders = "The server's folders are not known, so its files cannot be listed.";

    explicit ConfigEditor(ConfigEditorServices services) : m_services(std::move(services)) {}

    void setView(ConfigEditorView* view) { m_view = view; }

    // The first time the page is shown: the folders, the file list, and the
    // server's start-up file opened.
    void pageShown();
    // Lists the files again and asks the server for its cvars and commands.
    void refresh();
    // Opens files()[index]; false when the operator kept the open file or
    // the file could not be read.
    bool openFile(int index);
    // Opens a path (it must pass the guard).
    bool openPath(const std::filesystem::path& path);
    // The text changed: the findings are made again.
    void textChanged();
    // Saves the open file; false when nothing was saved.
    bool save();
    // Runs the open file on the server ("exec NAME") and shows the answer.
    void execOnServer();
    // A click on a finding or an output line that names a file line.
    void goToLine(int line);

    const std::vector<ConfigFileEntry>& files() const { return m_files; }
    int current() const { return m_current; }
    const std::filesystem::path& openPathName() const { return m_path; }
    const ConfigDocument& document() const { return m_document; }
    const std::vector<LintFinding>& findings() const { return m_findings; }
    const std::vector<ExecOutputLine>& execOutput() const { return m_execOutput; }
    const ServerKnowledge& knowledge() const { return m_knowledge; }
    const std::vector<std::filesystem::path>& folders() const { return m_folders; }
    bool ioq3() const { return m_serverFolders.ioq3(); }

private:
    void learnFolders();
    void learnServer();
    void listFiles();
    // Unsaved changes: true when the operator may go on (saved or dropped).
    bool settleChanges(const std::string& question);
    void lint(const std::vector<std::string>& lines);
    void status(const std::string& text);

    ConfigEditorServices m_services;
    ConfigEditorView* m_view = nullptr;
    bool m_shown = false;
    bool m_learned = false;
    ServerFolders m_serverFolders;
    std::vector<std::filesystem::path> m_folders;
    std::string m_startupName;
    std::vector<ConfigFileEntry> m_files;
    int m_current = -1;
    std::filesystem::path m_path;
    std::string m_name;
    ConfigDocument m_document;
    ServerKnowledge m_knowledge;
    std::vector<ConfigLine> m_syntax;
    std::vector<LintFinding> m_findings;
    std::vector<ExecOutputLine> m_execOutput;
};

} // namespace ravelin
