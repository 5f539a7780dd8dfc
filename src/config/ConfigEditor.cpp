#include "config/ConfigEditor.h"

#include <algorithm>
#include <set>

namespace ravelin {

namespace {

// Findings the server would act on badly: worth a question before saving.
bool serious(const LintFinding& finding)
{
    return finding.kind == LintKind::FileTooBig || finding.kind == LintKind::LineTooLong
        || finding.kind == LintKind::UnbalancedQuote || finding.kind == LintKind::StopsServer;
}

std::string lineLabel(int line) { return "line " + std::to_string(line + 1); }

} // namespace

void ConfigEditor::status(const std::string& text)
{
    if (m_view)
        m_view->showStatus(text);
}

void ConfigEditor::pageShown()
{
    if (m_shown)
        return;
    m_shown = true;
    learnFolders();
    listFiles();
    // The file the server was started with is the one an operator usually
    // came for.
    for (std::size_t i = 0; i < m_files.size(); ++i)
        if (m_files[i].startup && m_files[i].refused.empty()) {
            openFile(static_cast<int>(i));
            break;
        }
}

void ConfigEditor::refresh()
{
    learnFolders();
    listFiles();
    m_learned = false;
    learnServer();
    if (!m_path.empty() && m_view)
        lint(m_view->editedLines());
}

void ConfigEditor::learnFolders()
{
    m_serverFolders = m_services.folders ? m_services.folders() : ServerFolders{};
    m_folders = m_serverFolders.searchFolders();
    m_startupName = m_services.serverArguments ? startupExec(m_services.serverArguments()) : std::string();
}

void ConfigEditor::listFiles()
{
    m_files = listConfigFiles(m_folders, m_startupName);
    m_current = -1;
    for (std::size_t i = 0; i < m_files.size() && !m_path.empty(); ++i) {
        std::error_code ec;
        if (std::filesystem::weakly_canonical(m_files[i].path, ec) == m_path)
            m_current = static_cast<int>(i);
    }
    if (m_view) {
        m_view->showFiles(m_files, m_current);
        if (m_folders.empty())
            m_view->showStatus(kNoFolders);
    }
}

// The server's own lists decide which names are unknown and which cvars
// are latched; without a server they stay empty and nothing is called
// unknown.
void ConfigEditor::learnServer()
{
    if (m_learned)
        return;
    m_learned = true;
    m_knowledge = ServerKnowledge{};
    if (m_view)
        m_view->setBusy(true);
    if (m_services.runCommand) {
        const CommandOutput cvars = m_services.runCommand("cvarlist");
        if (cvars.ok)
            m_knowledge.addCvarList(cvars.lines);
        const CommandOutput commands = m_services.runCommand("cmdlist");
        if (commands.ok)
            m_knowledge.addCmdList(commands.lines);
    }
    std::vector<std::string> names = m_knowledge.cvarNames();
    if (m_services.knownCvars)
        for (const std::string& name : m_services.knownCvars())
            if (!m_knowledge.cvar(name))
                names.push_back(name);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lowerName(a) < lowerName(b); });
    if (m_view) {
        m_view->setCompletions(names);
        m_view->setBusy(false);
    }
}

bool ConfigEditor::settleChanges(const std::string& question)
{
    if (m_path.empty() || !m_view || m_view->editedLines() == m_document.lines())
        return true;
    switch (m_services.dialogs.messageBox(question, Dialogs::Buttons::YesNoCancel, Dialogs::Icon::Question)) {
    case Dialogs::Answer::Yes: return save();
    case Dialogs::Answer::No: return true;
    default: return false;
    }
}

bool ConfigEditor::openFile(int index)
{
    if (index < 0 || index >= static_cast<int>(m_files.size()))
        return false;
    const ConfigFileEntry& entry = m_files[static_cast<std::size_t>(index)];
    if (index == m_current && !m_path.empty())
        return true;
    if (!entry.refused.empty()) {
        m_services.dialogs.messageBox(entry.refused, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        if (m_view)
            m_view->showFiles(m_files, m_current);
        return false;
    }
    if (!settleChanges("Save the changes to " + m_name + " before opening " + entry.name + "?")
        || !openPath(entry.path)) {
        if (m_view)
            m_view->showFiles(m_files, m_current);
        return false;
    }
    m_current = index;
    if (m_view)
        m_view->showFiles(m_files, m_current);
    return true;
}

bool ConfigEditor::openPath(const std::filesystem::path& path)
{
    std::string reason;
    const std::optional<std::filesystem::path> target = guardConfigPath(m_folders, path, reason);
    if (!target) {
        m_services.dialogs.messageBox(reason, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return false;
    }
    std::string error;
    const std::optional<std::string> bytes = readConfigFile(*target, error);
    if (!bytes) {
        m_services.dialogs.messageBox(error, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return false;
    }
    m_document = ConfigDocument(*bytes);
    m_path = *target;
    m_name = path.filename().string();
    m_current = -1;
    for (std::size_t i = 0; i < m_files.size(); ++i)
        if (m_files[i].path == path || m_files[i].path == m_path)
            m_current = static_cast<int>(i);
    m_execOutput.clear();
    if (m_view) {
        m_view->showDocument(m_name, m_document.lines());
        m_view->setModified(false);
        m_view->showExecOutput(m_execOutput);
    }
    // The text shows at once; the server's lists (for unknown names) come
    // before the first findings.
    learnServer();
    lint(m_view ? m_view->editedLines() : m_document.lines());
    status("Opened " + m_path.string() + ".");
    return true;
}

void ConfigEditor::textChanged()
{
    if (m_path.empty() || !m_view)
        return;
    const std::vector<std::string> lines = m_view->editedLines();
    m_view->setModified(lines != m_document.lines());
    lint(lines);
}

void ConfigEditor::lint(const std::vector<std::string>& lines)
{
    m_syntax = tokenizeConfigLines(lines);
    LintOptions options;
    options.ioq3 = m_serverFolders.ioq3();
    options.execBuffer = options.ioq3 ? kExecBufferIoq3 : kExecBuffer132;
    options.fileBytes = m_document.bytesFor(lines).size();
    m_findings = lintConfig(lines, m_syntax, m_knowledge, options);
    if (m_view)
        m_view->showFindings(m_findings);
}

bool ConfigEditor::save()
{
    if (m_path.empty() || !m_view)
        return false;
    const std::vector<std::string> lines = m_view->editedLines();
    lint(lines);
    const auto worst = std::find_if(m_findings.begin(), m_findings.end(), serious);
    if (worst != m_findings.end()) {
        const std::string question =
            m_name + ", " + lineLabel(worst->line) + ": " + worst->message + "\n\nSave anyway?";
        if (m_services.dialogs.messageBox(question, Dialogs::Buttons::YesNo, Dialogs::Icon::Exclamation, kAppTitle, 1)
            != Dialogs::Answer::Yes)
            return false;
    }
    const std::string bytes = m_document.bytesFor(lines);
    std::string error;
    SaveResult result = saveConfigFile(m_path, m_document.bytes(), bytes, false, error);
    if (result == SaveResult::ChangedOnDisk) {
        const std::string question = m_path.string()
            + " has changed on disk since it was opened.\n\nOverwrite it with your version? (What is on disk now is "
              "kept as "
            + m_name + ".bak.)";
        if (m_services.dialogs.messageBox(question, Dialogs::Buttons::YesNo, Dialogs::Icon::Exclamation, kAppTitle, 1)
            != Dialogs::Answer::Yes) {
            status("Not saved: " + m_name + " changed on disk.");
            return false;
        }
        result = saveConfigFile(m_path, m_document.bytes(), bytes, true, error);
    }
    if (result == SaveResult::Failed) {
        m_services.dialogs.messageBox(m_name + " was not saved: " + error, Dialogs::Buttons::Ok,
                                      Dialogs::Icon::Critical);
        return false;
    }
    m_document = ConfigDocument(bytes);
    m_view->setModified(false);
    status("Saved " + m_path.string() + "; the previous version is " + m_name + ".bak.");
    return true;
}

void ConfigEditor::execOnServer()
{
    if (m_path.empty() || !m_view)
        return;
    if (!m_services.runCommand) {
        m_services.dialogs.messageBox("There is no server console to run " + m_name + " on.");
        return;
    }
    if (m_view->editedLines() != m_document.lines()) {
        const Dialogs::Answer answer = m_services.dialogs.messageBox(
            "Save " + m_name + " before running it on the server? (No runs the version on disk.)",
            Dialogs::Buttons::YesNoCancel, Dialogs::Icon::Question);
        if (answer == Dialogs::Answer::Cancel || (answer == Dialogs::Answer::Yes && !save()))
            return;
    }
    const std::vector<ConfigLine> syntax = tokenizeConfigLines(m_document.lines());
    LintOptions options;
    options.ioq3 = m_serverFolders.ioq3();
    options.execBuffer = options.ioq3 ? kExecBufferIoq3 : kExecBuffer132;
    options.fileBytes = m_document.bytes().size();
    for (const LintFinding& finding : lintConfig(m_document.lines(), syntax, m_knowledge, options)) {
        if (finding.kind != LintKind::StopsServer && finding.kind != LintKind::FileTooBig)
            continue;
        const std::string question =
            m_name + ", " + lineLabel(finding.line) + ": " + finding.message + "\n\nRun it on the server anyway?";
        if (m_services.dialogs.messageBox(question, Dialogs::Buttons::YesNo, Dialogs::Icon::Exclamation, kAppTitle, 1)
            != Dialogs::Answer::Yes)
            return;
        break;
    }
    const bool blank = m_name.find_first_of(" \t;") != std::string::npos;
    const std::string command = "exec " + (blank ? "\"" + m_name + "\"" : m_name);
    m_view->setBusy(true);
    const CommandOutput output = m_services.runCommand(command);
    m_view->setBusy(false);
    if (!output.ok) {
        m_services.dialogs.messageBox(command + ": " + output.error, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    m_execOutput = readExecOutput(output.lines, syntax);
    m_view->showExecOutput(m_execOutput);
    const auto unknown = std::count_if(m_execOutput.begin(), m_execOutput.end(), [](const ExecOutputLine& line) {
        return line.kind != ExecOutputLine::Kind::Plain;
    });
    status(command + ": " + std::to_string(m_execOutput.size()) + " lines of output"
           + (unknown ? ", " + std::to_string(unknown) + " naming a problem." : "."));
}

void ConfigEditor::goToLine(int line)
{
    if (m_view && line >= 0)
        m_view->goToLine(line);
}

} // namespace ravelin
