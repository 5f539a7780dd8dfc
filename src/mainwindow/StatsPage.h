// The stats page ("Statistics"): two collapsible sections with a notice each.
#pragma once

#include <QWidget>

namespace ravelin {

class MainSession;
class SectionStackWidget;

class StatsPage final : public QWidget {
public:
    StatsPage(MainSession& session, QWidget* page);
    SectionStackWidget* sections() const { return m_stack; }

private:
    SectionStackWidget* m_stack = nullptr;
};

} // namespace ravelin
