// The stats page ("Statistics"): two collapsible sections, the internal
// statistics and the web page.
#pragma once

#include <QWidget>

namespace ravelin {

class InternalStatsSection;
class MainSession;
class SectionStackWidget;
class WebStatsSection;

class StatsPage final : public QWidget {
public:
    StatsPage(MainSession& session, QWidget* page);
    SectionStackWidget* sections() const { return m_stack; }
    InternalStatsSection* internal() const { return m_internal; }
    WebStatsSection* web() const { return m_web; }

private:
    SectionStackWidget* m_stack = nullptr;
    InternalStatsSection* m_internal = nullptr;
    WebStatsSection* m_web = nullptr;
};

} // namespace ravelin
