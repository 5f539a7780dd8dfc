#include "mainwindow/ConfigEditorPage.h"

#include "mainwindow/ConfigTextEdit.h"
#include "platform/qt/Accessible.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace ravelin {

namespace {

constexpr int kLeft = 12;
constexpr int kListWidth = 150;
constexpr int kEditorLeft = kLeft + kListWidth + 10;
constexpr int kLintDelayMs = 250;

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, QRect at)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(at);
    return label;
}

} // namespace

ConfigEditorPage::ConfigEditorPage(ConfigEditor& editor, QWidget* page) : QWidget(page), m_editor(editor)
{
    setObjectName("editorPage");
    setGeometry(0, 32, page->width(), page->height() - 32);
    const int right = width() - 12;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    QLabel* lblFiles = addLabel(this, "lblFiles", "&Files", {kLeft, 0, kListWidth, 18});
    m_lstFiles = new QListWidget(this);
    m_lstFiles->setObjectName("lstFiles");
    m_lstFiles->setGeometry(kLeft, 20, kListWidth, 200);
    accessible::nameAfterLabel(m_lstFiles, lblFiles);
    // A click, Enter or the screen reader's activation opens the file.
    connect(m_lstFiles, &QListWidget::itemActivated, this, [this] {
        if (!m_filling)
            m_editor.openFile(m_lstFiles->currentRow());
    });
    connect(m_lstFiles, &QListWidget::itemClicked, this, [this] {
        if (!m_filling)
            m_editor.openFile(m_lstFiles->currentRow());
    });

    QPushButton* cmdRefresh = addButton("cmdRefresh", "&Refresh", 226);
    connect(cmdRefresh, &QPushButton::clicked, this, [this] { m_editor.refresh(); });
    m_cmdUndo = addButton("cmdUndo", "&Undo", 258);
    m_cmdSave = addButton("cmdSave", "&Save", 290);
    m_cmdExec = addButton("cmdExec", "E&xec on server", 322);

    m_lblStatus = addLabel(this, "lblStatus", QString(), {kLeft, 354, kListWidth, height() - 360});
    m_lblStatus->setWordWrap(true);
    m_lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_lblConfig = addLabel(this, "lblConfig", "Config &File", {kEditorLeft, 0, right - kEditorLeft, 18});
    m_txtConfig = new ConfigTextEdit(this);
    m_txtConfig->setObjectName("txtConfig");
    m_txtConfig->setGeometry(kEditorLeft, 20, right - kEditorLeft, 254);
    m_txtConfig->setReadOnly(true);
    accessible::nameAfterLabel(m_txtConfig, m_lblConfig);
    m_txtConfig->setAccessibleName("Config File");

    const int findY = 280;
    QLabel* lblFind = addLabel(this, "lblFind", "Fin&d:", {kEditorLeft, findY + 4, 36, 20});
    m_txtFindText = new QLineEdit(this);
    m_txtFindText->setObjectName("txtFindText");
    m_txtFindText->setGeometry(kEditorLeft + 38, findY, 140, 26);
    accessible::nameAfterLabel(m_txtFindText, lblFind);
    QLabel* lblReplace = addLabel(this, "lblReplace", "Re&place:", {kEditorLeft + 186, findY + 4, 58, 20});
    m_txtReplaceText = new QLineEdit(this);
    m_txtReplaceText->setObjectName("txtReplaceText");
    m_txtReplaceText->setGeometry(kEditorLeft + 246, findY, 120, 26);
    accessible::nameAfterLabel(m_txtReplaceText, lblReplace);
    auto* cmdFindNext = new QPushButton("&Next", this);
    cmdFindNext->setObjectName("cmdFindNext");
    cmdFindNext->setAccessibleName("Next");
    cmdFindNext->setGeometry(kEditorLeft + 372, findY, 50, 26);
    auto* cmdReplace = new QPushButton("Replace", this);
    cmdReplace->setObjectName("cmdReplace");
    cmdReplace->setAccessibleName("Replace");
    cmdReplace->setGeometry(kEditorLeft + 424, findY, 60, 26);
    auto* cmdReplaceAll = new QPushButton("&All", this);
    cmdReplaceAll->setObjectName("cmdReplaceAll");
    cmdReplaceAll->setAccessibleName("Replace All");
    cmdReplaceAll->setToolTip("Replace All");
    cmdReplaceAll->setGeometry(kEditorLeft + 486, findY, right - kEditorLeft - 486, 26);
    connect(cmdFindNext, &QPushButton::clicked, this, [this] { find(); });
    connect(m_txtFindText, &QLineEdit::returnPressed, this, [this] { find(); });
    connect(cmdReplace, &QPushButton::clicked, this, [this] { replace(); });
    connect(m_txtReplaceText, &QLineEdit::returnPressed, this, [this] { replace(); });
    connect(cmdReplaceAll, &QPushButton::clicked, this, [this] { replaceAll(); });

    const int listsY = findY + 32;
    const int listWidth = (right - kEditorLeft - 8) / 2;
    QLabel* lblProblems = addLabel(this, "lblProblems", "Pro&blems", {kEditorLeft, listsY, listWidth, 18});
    m_lstProblems = new QListWidget(this);
    m_lstProblems->setObjectName("lstProblems");
    m_lstProblems->setGeometry(kEditorLeft, listsY + 20, listWidth, height() - listsY - 26);
    m_lstProblems->setWordWrap(true);
    accessible::nameAfterLabel(m_lstProblems, lblProblems);
    const int outputLeft = kEditorLeft + listWidth + 8;
    QLabel* lblOutput = addLabel(this, "lblExecOutput", "Server &Output", {outputLeft, listsY, listWidth, 18});
    m_lstExecOutput = new QListWidget(this);
    m_lstExecOutput->setObjectName("lstExecOutput");
    m_lstExecOutput->setFont(fixed);
    m_lstExecOutput->setGeometry(outputLeft, listsY + 20, right - outputLeft, height() - listsY - 26);
    accessible::nameAfterLabel(m_lstExecOutput, lblOutput);
    // A finding or an output line that names a line of the file goes there.
    for (QListWidget* list : {m_lstProblems, m_lstExecOutput})
        connect(list, &QListWidget::itemActivated, this,
                [this](QListWidgetItem* item) { m_editor.goToLine(item->data(Qt::UserRole).toInt()); });

    connect(m_cmdUndo, &QPushButton::clicked, m_txtConfig, &QPlainTextEdit::undo);
    connect(m_txtConfig, &QPlainTextEdit::undoAvailable, m_cmdUndo, &QPushButton::setEnabled);
    connect(m_cmdSave, &QPushButton::clicked, this, [this] { m_editor.save(); });
    connect(m_cmdExec, &QPushButton::clicked, this, [this] { m_editor.execOnServer(); });
    m_cmdUndo->setEnabled(false);
    m_cmdSave->setEnabled(false);
    m_cmdExec->setEnabled(false);

    // The findings follow the text a moment after typing stops.
    m_tmrLint = new QTimer(this);
    m_tmrLint->setObjectName("tmrLint");
    m_tmrLint->setSingleShot(true);
    m_tmrLint->setInterval(kLintDelayMs);
    connect(m_tmrLint, &QTimer::timeout, this, [this] { m_editor.textChanged(); });
    connect(m_txtConfig, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_filling)
            m_tmrLint->start();
    });

    auto shortcut = [this](const QKeySequence& keys, auto action) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence::Save, [this] { m_editor.save(); });
    shortcut(QKeySequence::Find, [this] {
        m_txtFindText->setFocus(Qt::ShortcutFocusReason);
        m_txtFindText->selectAll();
    });
    shortcut(QKeySequence::FindNext, [this] { find(); });

    accessible::setFocusOrder({m_lstFiles, cmdRefresh, m_cmdUndo, m_cmdSave, m_cmdExec, m_txtConfig, m_txtFindText,
                               m_txtReplaceText, cmdFindNext, cmdReplace, cmdReplaceAll, m_lstProblems,
                               m_lstExecOutput});
    m_editor.setView(this);
}

// The session (and its editor) is gone by the time the window's children
// are deleted.
ConfigEditorPage::~ConfigEditorPage() = default;

QPushButton* ConfigEditorPage::addButton(const char* name, const QString& text, int y)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAccessibleName(QString(text).remove('&'));
    button->setGeometry(kLeft, y, kListWidth, 28);
    return button;
}

void ConfigEditorPage::showFiles(const std::vector<ConfigFileEntry>& files, int current)
{
    m_filling = true;
    m_lstFiles->clear();
    for (const ConfigFileEntry& file : files) {
        QString text = latin1(file.name);
        if (file.startup)
            text += "  (+exec)";
        auto* item = new QListWidgetItem(text, m_lstFiles);
        item->setToolTip(latin1(file.refused.empty() ? file.path.string() : file.refused));
        if (file.startup) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        if (!file.refused.empty())
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    }
    m_lstFiles->setCurrentRow(current);
    m_filling = false;
}

void ConfigEditorPage::showDocument(const std::string& title, const std::vector<std::string>& lines)
{
    m_filling = true;
    m_title = title;
    m_txtConfig->setReadOnly(false);
    m_txtConfig->setLines(lines);
    m_filling = false;
    m_cmdSave->setEnabled(true);
    m_cmdExec->setEnabled(true);
    m_modified = false;
    showTitle();
}

std::vector<std::string> ConfigEditorPage::editedLines() const { return m_txtConfig->lines(); }

void ConfigEditorPage::setModified(bool modified)
{
    m_modified = modified;
    showTitle();
}

void ConfigEditorPage::showTitle()
{
    m_lblConfig->setText("Config &File: " + latin1(m_title) + (m_modified ? " (changed)" : ""));
}

void ConfigEditorPage::showFindings(const std::vector<LintFinding>& findings)
{
    m_txtConfig->setFindings(findings);
    m_lstProblems->clear();
    for (const LintFinding& finding : findings) {
        auto* item =
            new QListWidgetItem(QString("%1: ").arg(finding.line + 1) + latin1(finding.message), m_lstProblems);
        item->setData(Qt::UserRole, finding.line);
    }
}

void ConfigEditorPage::showExecOutput(const std::vector<ExecOutputLine>& lines)
{
    m_lstExecOutput->clear();
    for (const ExecOutputLine& line : lines) {
        QString text = latin1(line.text);
        if (line.fileLine >= 0)
            text = QString("%1: ").arg(line.fileLine + 1) + text;
        auto* item = new QListWidgetItem(text, m_lstExecOutput);
        item->setData(Qt::UserRole, line.fileLine);
        if (line.kind == ExecOutputLine::Kind::Plain)
            continue;
        item->setForeground(line.kind == ExecOutputLine::Kind::UnknownCommand ? QColor(0xb0, 0x00, 0x00)
                                                                              : QColor(0x9a, 0x5a, 0x00));
        item->setBackground(QColor(0xff, 0xec, 0xd0));
        if (line.fileLine >= 0)
            item->setToolTip(QString("Line %1 of the file").arg(line.fileLine + 1));
    }
}

void ConfigEditorPage::setCompletions(const std::vector<std::string>& names) { m_txtConfig->setCompletions(names); }

void ConfigEditorPage::goToLine(int line) { m_txtConfig->goToLine(line); }

void ConfigEditorPage::showStatus(const std::string& text) { m_lblStatus->setText(latin1(text)); }

void ConfigEditorPage::setBusy(bool busy)
{
    if (!busy)
        m_hourglass.reset();
    else if (!m_hourglass)
        m_hourglass.emplace();
}

void ConfigEditorPage::find()
{
    if (!m_txtConfig->findNext(m_txtFindText->text()))
        showStatus("Not found: " + m_txtFindText->text().toLatin1().toStdString());
}

void ConfigEditorPage::replace()
{
    if (!m_txtConfig->replaceNext(m_txtFindText->text(), m_txtReplaceText->text()))
        showStatus("Not found: " + m_txtFindText->text().toLatin1().toStdString());
}

void ConfigEditorPage::replaceAll()
{
    const int count = m_txtConfig->replaceAll(m_txtFindText->text(), m_txtReplaceText->text());
    showStatus(std::to_string(count) + (count == 1 ? " place replaced." : " places replaced."));
}

} // namespace ravelin
