#include "platform/qt/OutputBox.h"

#include <QScrollBar>
#include <QTextCursor>

namespace ravelin {

OutputBox::OutputBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    // Nobody undoes server output; recording it would only grow.
    setUndoRedoEnabled(false);
    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (m_following)
            bar->setValue(maximum);
    });
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (!m_changing)
            m_following = value == bar->maximum();
    });
}

void OutputBox::appendText(const QString& text)
{
    m_changing = true;
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    if (m_following)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    m_changing = false;
}

void OutputBox::replaceText(const QString& text)
{
    m_changing = true;
    setPlainText(text);
    m_following = true;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    m_changing = false;
}

} // namespace ravelin
