#include "mainwindow/StatsPage.h"

#include "mainwindow/SectionStackWidget.h"

#include <QLabel>

namespace ravelin {

StatsPage::StatsPage(MainSession& session, QWidget* page) : QWidget(page)
{
    setGeometry(page->contentsRect());
    m_stack =
        new SectionStackWidget(session, SectionPanel::Stats,
                               {"Statistics", "imgToggle", "picStat", "lblStatBase", "lblStat", "picScroll", "vsbMain"},
                               {kStatsSectionTitles.begin(), kStatsSectionTitles.end()}, this);
    for (int i = 0; i < static_cast<int>(kStatsSectionTitles.size()); ++i) {
        auto* notice = new QLabel("Feature Disabled in this beta, sorry", m_stack->section(i));
        notice->setGeometry(12, 24, 400, 18);
    }
}

} // namespace ravelin
