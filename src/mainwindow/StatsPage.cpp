#include "mainwindow/StatsPage.h"

#include "mainwindow/MainSession.h"
#include "mainwindow/SectionStackWidget.h"
#include "mainwindow/StatsSections.h"

#include <QFrame>

namespace ravelin {

StatsPage::StatsPage(MainSession& session, QWidget* page) : QWidget(page)
{
    setGeometry(page->contentsRect());
    m_stack =
        new SectionStackWidget(session, SectionPanel::Stats,
                               {"Statistics", "imgToggle", "picStat", "lblStatBase", "lblStat", "picScroll", "vsbMain"},
                               {kStatsSectionTitles.begin(), kStatsSectionTitles.end()}, this);
    m_internal = new InternalStatsSection(session.statistics(), m_stack->section(0), m_stack->sectionWidth(),
                                          kStatsSectionHeights[0]);
    m_web = new WebStatsSection(session.statistics(), m_stack->section(1), m_stack->sectionWidth(),
                                kStatsSectionHeights[1]);
}

} // namespace ravelin
