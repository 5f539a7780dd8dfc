// A read-only box of server output that keeps to its newest line until the
// operator scrolls away from it, and again once they scroll back to the end.
// Both console windows use it (Ravelin's display and ravelin-console's own).
//
// It follows through its scroll bar, never through the text cursor: moving
// the cursor to the end lays out the last lines at once on every append,
// most of what a busy server's output used to cost, and it took away the
// operator's selection each time. The scroll range settles after the text
// has changed (also while the box is hidden), so following is a state that
// every range change applies, not a step done once per append.
#pragma once

#include <QPlainTextEdit>

namespace ravelin {

class OutputBox final : public QPlainTextEdit {
public:
    explicit OutputBox(QWidget* parent = nullptr);

    void appendText(const QString& text);
    // New contents: the box follows again whatever the operator did.
    void replaceText(const QString& text);
    bool following() const { return m_following; }

private:
    bool m_following = true;
    bool m_changing = false;
};

} // namespace ravelin
