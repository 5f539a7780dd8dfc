// The config editor's text box: plain text in the fixed-pitch font, line
// numbers in a margin, the engine's syntax coloured as it is typed (by the
// same tokenizer the lint uses), the lint's findings marked with a wavy
// underline, and cvar names completed from a list.
//
// Text is bytes shown as Latin-1; lines() reads each line back as bytes
// from the document's blocks (not toPlainText, which turns no-break spaces
// into blanks), so a file that is not edited reads back unchanged.
#pragma once

#include "config/ConfigLint.h"

#include <QPlainTextEdit>
#include <QSyntaxHighlighter>

#include <map>
#include <string>
#include <vector>

class QCompleter;
class QStringListModel;

namespace ravelin {

class ConfigHighlighter final : public QSyntaxHighlighter {
public:
    explicit ConfigHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}
    void setFindings(const std::vector<LintFinding>& findings);

protected:
    void highlightBlock(const QString& text) override;

private:
    std::map<int, std::vector<LintFinding>> m_findings; // by line
};

class ConfigTextEdit final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ConfigTextEdit(QWidget* parent = nullptr);

    void setLines(const std::vector<std::string>& lines);
    std::vector<std::string> lines() const;
    void setFindings(const std::vector<LintFinding>& findings) { m_highlighter->setFindings(findings); }
    void setCompletions(const std::vector<std::string>& names);
    QCompleter* completer() const { return m_completer; }
    void goToLine(int line);
    // Finds `text` after the caret (wrapping once); true when found.
    bool findNext(const QString& text);
    // Replaces the selection when it is `text`, then finds the next.
    bool replaceNext(const QString& text, const QString& replacement);
    int replaceAll(const QString& text, const QString& replacement);

    int lineNumberWidth() const;
    void paintLineNumbers(QPaintEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void insertCompletion(const QString& completion);
    QString wordBeforeCaret() const;
    void updateMargin();

    ConfigHighlighter* m_highlighter = nullptr;
    QWidget* m_lineNumbers = nullptr;
    QCompleter* m_completer = nullptr;
    QStringListModel* m_names = nullptr;
};

} // namespace ravelin
