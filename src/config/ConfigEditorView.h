// What the config editor's logic asks of the editor page: the file list,
// the text, the findings and the server's output, and where the caret goes.
// The page implements it with widgets; tests with plain members.
#pragma once

#include "config/ConfigFiles.h"
#include "config/ConfigLint.h"
#include "config/ExecReport.h"

#include <string>
#include <vector>

namespace ravelin {

class ConfigEditorView {
public:
    virtual ~ConfigEditorView() = default;
    // The files; `current` is the open one (-1: none).
    virtual void showFiles(const std::vector<ConfigFileEntry>& files, int current) = 0;
    // A freshly opened file: its lines replace the text, undo starts over.
    virtual void showDocument(const std::string& title, const std::vector<std::string>& lines) = 0;
    // The text as the operator has it now, a line per element.
    virtual std::vector<std::string> editedLines() const = 0;
    virtual void setModified(bool modified) = 0;
    virtual bool modified() const = 0;
    virtual void showFindings(const std::vector<LintFinding>& findings) = 0;
    virtual void showExecOutput(const std::vector<ExecOutputLine>& lines) = 0;
    virtual void setCompletions(const std::vector<std::string>& names) = 0;
    // Puts the caret at the start of a line (0-based) and shows it.
    virtual void goToLine(int line) = 0;
    virtual void showStatus(const std::string& text) = 0;
    virtual void setBusy(bool busy) = 0;
};

} // namespace ravelin
