#include "mainwindow/ConfigTextEdit.h"

#include "config/ConfigSyntax.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringListModel>
#include <QTextBlock>

namespace ravelin {

namespace {

QTextCharFormat colour(const QColor& colour, bool bold = false, bool italic = false)
{
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold)
        format.setFontWeight(QFont::Bold);
    format.setFontItalic(italic);
    return format;
}

QTextCharFormat formatFor(ConfigSpanKind kind)
{
    switch (kind) {
    case ConfigSpanKind::Comment: return colour(QColor(0x5a, 0x7a, 0x5a), false, true);
    case ConfigSpanKind::Keyword: return colour(QColor(0x1a, 0x4f, 0xa8), true);
    case ConfigSpanKind::Command: return colour(QColor(0x6a, 0x2c, 0x91), true);
    case ConfigSpanKind::CvarName: return colour(QColor(0x8a, 0x4b, 0x08));
    case ConfigSpanKind::Quoted: return colour(QColor(0xa3, 0x15, 0x15));
    case ConfigSpanKind::Separator: return colour(QColor(0x80, 0x80, 0x80), true);
    case ConfigSpanKind::Word: break;
    }
    return {};
}

// Errors the server acts on badly in red, the rest in amber.
QColor markColour(LintKind kind)
{
    switch (kind) {
    case LintKind::FileTooBig:
    case LintKind::LineTooLong:
    case LintKind::UnbalancedQuote:
    case LintKind::StopsServer:
    case LintKind::UnknownCommand: return QColor(0xd0, 0x10, 0x10);
    default: return QColor(0xd0, 0x80, 0x00);
    }
}

class LineNumberArea final : public QWidget {
public:
    explicit LineNumberArea(ConfigTextEdit* editor) : QWidget(editor), m_editor(editor) {}
    QSize sizeHint() const override { return {m_editor->lineNumberWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { m_editor->paintLineNumbers(event); }

private:
    ConfigTextEdit* m_editor;
};

bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == '_'; }

} // namespace

void ConfigHighlighter::setFindings(const std::vector<LintFinding>& findings)
{
    m_findings.clear();
    for (const LintFinding& finding : findings)
        m_findings[finding.line].push_back(finding);
    rehighlight();
}

void ConfigHighlighter::highlightBlock(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    const ConfigLine line = tokenizeConfigLine(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), previousBlockState() == 1);
    for (const ConfigSpan& span : line.spans)
        setFormat(static_cast<int>(span.start), static_cast<int>(span.length), formatFor(span.kind));
    setCurrentBlockState(line.blockCommentOpen ? 1 : 0);

    const auto found = m_findings.find(currentBlock().blockNumber());
    if (found == m_findings.end())
        return;
    for (const LintFinding& finding : found->second) {
        int start = static_cast<int>(finding.start);
        int length = static_cast<int>(finding.length);
        if (length <= 0 || start >= text.size()) {
            start = 0;
            length = static_cast<int>(text.size());
        }
        length = std::min(length, static_cast<int>(text.size()) - start);
        for (int i = start; i < start + length; ++i) {
            QTextCharFormat marked = format(i);
            marked.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            marked.setUnderlineColor(markColour(finding.kind));
            setFormat(i, 1, marked);
        }
    }
}

ConfigTextEdit::ConfigTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    m_highlighter = new ConfigHighlighter(document());
    m_lineNumbers = new LineNumberArea(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { updateMargin(); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy)
            m_lineNumbers->scroll(0, dy);
        else
            m_lineNumbers->update(0, rect.y(), m_lineNumbers->width(), rect.height());
    });
    updateMargin();

    m_names = new QStringListModel(this);
    m_completer = new QCompleter(m_names, this);
    m_completer->setObjectName("cmpCvars");
    m_completer->setWidget(this);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_completer->popup()->setAccessibleName("Cvar Names");
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this,
            [this](const QString& name) { insertCompletion(name); });
}

void ConfigTextEdit::setLines(const std::vector<std::string>& lines)
{
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += '\n';
        text += QString::fromLatin1(lines[i].data(), static_cast<qsizetype>(lines[i].size()));
    }
    setPlainText(text); // also starts the undo history over
}

std::vector<std::string> ConfigTextEdit::lines() const
{
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(document()->blockCount()));
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        out.push_back(block.text().toLatin1().toStdString());
    return out;
}

void ConfigTextEdit::setCompletions(const std::vector<std::string>& names)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names)
        list.append(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    m_names->setStringList(list);
}

void ConfigTextEdit::goToLine(int line)
{
    const QTextBlock block = document()->findBlockByNumber(line);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    setTextCursor(cursor);
    centerCursor();
    setFocus(Qt::OtherFocusReason);
}

bool ConfigTextEdit::findNext(const QString& text)
{
    if (text.isEmpty())
        return false;
    if (find(text))
        return true;
    QTextCursor start = textCursor();
    start.movePosition(QTextCursor::Start);
    setTextCursor(start);
    return find(text);
}

bool ConfigTextEdit::replaceNext(const QString& text, const QString& replacement)
{
    QTextCursor cursor = textCursor();
    if (!text.isEmpty() && cursor.selectedText().compare(text, Qt::CaseInsensitive) == 0)
        cursor.insertText(replacement);
    return findNext(text);
}

int ConfigTextEdit::replaceAll(const QString& text, const QString& replacement)
{
    if (text.isEmpty())
        return 0;
    int count = 0;
    QTextCursor edit(document());
    edit.beginEditBlock(); // one undo step for the lot
    QTextCursor found = document()->find(text, 0);
    while (!found.isNull()) {
        found.insertText(replacement);
        ++count;
        found = document()->find(text, found.position());
    }
    edit.endEditBlock();
    return count;
}

QString ConfigTextEdit::wordBeforeCaret() const
{
    const QTextCursor cursor = textCursor();
    const QString text = cursor.block().text();
    int start = cursor.positionInBlock();
    while (start > 0 && isNameChar(text[start - 1]))
        --start;
    return text.mid(start, cursor.positionInBlock() - start);
}

void ConfigTextEdit::insertCompletion(const QString& completion)
{
    QTextCursor cursor = textCursor();
    const QString typed = wordBeforeCaret();
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, static_cast<int>(typed.size()));
    cursor.insertText(completion);
    setTextCursor(cursor);
}

// Typing a name of two characters or more offers the cvars that begin with
// it; Ctrl+Space offers them at once. Enter, Tab or a click takes one,
// Escape closes the list.
void ConfigTextEdit::keyPressEvent(QKeyEvent* event)
{
    QAbstractItemView* popup = m_completer->popup();
    if (popup->isVisible()) {
        switch (event->key()) {
        case Qt::Key_Enter:
        case Qt::Key_Return:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab: event->ignore(); return; // the completer takes these
        default: break;
        }
    }
    const bool forced = event->key() == Qt::Key_Space && (event->modifiers() & Qt::ControlModifier);
    if (!forced)
        QPlainTextEdit::keyPressEvent(event);
    const QString word = wordBeforeCaret();
    const bool typedName = !event->text().isEmpty() && isNameChar(event->text().back());
    if (!forced && (!typedName || word.size() < 2)) {
        popup->hide();
        return;
    }
    m_completer->setCompletionPrefix(word);
    if (m_completer->completionCount() == 0
        || (m_completer->completionCount() == 1
            && m_completer->currentCompletion().compare(word, Qt::CaseInsensitive) == 0)) {
        popup->hide();
        return;
    }
    popup->setCurrentIndex(m_completer->completionModel()->index(0, 0));
    QRect at = cursorRect();
    at.setWidth(popup->sizeHintForColumn(0) + popup->verticalScrollBar()->sizeHint().width());
    m_completer->complete(at);
}

int ConfigTextEdit::lineNumberWidth() const
{
    int digits = 1;
    for (int n = std::max(1, document()->blockCount()); n >= 10; n /= 10)
        ++digits;
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 3);
}

void ConfigTextEdit::updateMargin() { setViewportMargins(lineNumberWidth(), 0, 0, 0); }

void ConfigTextEdit::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    m_lineNumbers->setGeometry(QRect(area.left(), area.top(), lineNumberWidth(), area.height()));
}

void ConfigTextEdit::paintLineNumbers(QPaintEvent* event)
{
    QPainter painter(m_lineNumbers);
    painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible())
            painter.drawText(0, top, m_lineNumbers->width() - 4, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        top += height;
        block = block.next();
    }
}

} // namespace ravelin
