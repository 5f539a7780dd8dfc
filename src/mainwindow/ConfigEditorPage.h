// The editor page's controls: the file list lstFiles, the text box
// txtConfig, the find and replace boxes, the Refresh, Undo, Save and
// "Exec on server" buttons, the findings lstProblems and the server's
// answer lstExecOutput. Every event goes to the config editor's logic
// (ConfigEditor), which reports back through ConfigEditorView.
//
// Keys while the page is in front: Ctrl+S saves, Ctrl+F goes to the find
// box, F3 finds the next match, Ctrl+Z undoes (in the text box), Enter in
// the find box finds and in the replace box replaces.
#pragma once

#include "config/ConfigEditor.h"
#include "platform/qt/QtWaitCursor.h"

#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace ravelin {

class ConfigTextEdit;

class ConfigEditorPage final : public QWidget, private ConfigEditorView {
    Q_OBJECT
public:
    // Fills `page` below its title.
    ConfigEditorPage(ConfigEditor& editor, QWidget* page);
    ~ConfigEditorPage() override;

    QListWidget* lstFiles() const { return m_lstFiles; }
    ConfigTextEdit* txtConfig() const { return m_txtConfig; }
    QListWidget* lstProblems() const { return m_lstProblems; }
    QListWidget* lstExecOutput() const { return m_lstExecOutput; }

private:
    void showFiles(const std::vector<ConfigFileEntry>& files, int current) override;
    void showDocument(const std::string& title, const std::vector<std::string>& lines) override;
    std::vector<std::string> editedLines() const override;
    void setModified(bool modified) override;
    bool modified() const override { return m_modified; }
    void showFindings(const std::vector<LintFinding>& findings) override;
    void showExecOutput(const std::vector<ExecOutputLine>& lines) override;
    void setCompletions(const std::vector<std::string>& names) override;
    void goToLine(int line) override;
    void showStatus(const std::string& text) override;
    void setBusy(bool busy) override;

    QPushButton* addButton(const char* name, const QString& text, int y);
    void showTitle();
    void find();
    void replace();
    void replaceAll();

    ConfigEditor& m_editor;
    QListWidget* m_lstFiles = nullptr;
    QLabel* m_lblConfig = nullptr;
    ConfigTextEdit* m_txtConfig = nullptr;
    QLineEdit* m_txtFindText = nullptr;
    QLineEdit* m_txtReplaceText = nullptr;
    QListWidget* m_lstProblems = nullptr;
    QListWidget* m_lstExecOutput = nullptr;
    QLabel* m_lblStatus = nullptr;
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdExec = nullptr;
    QPushButton* m_cmdUndo = nullptr;
    QTimer* m_tmrLint = nullptr;
    std::string m_title;
    bool m_modified = false;
    bool m_filling = false;
    std::optional<QtWaitCursor> m_hourglass; // while the server is asked
};

} // namespace ravelin
