#include "mainwindow/SectionPanels.h"

#include "vbscript/ScriptControl.h"

#include <cmath>

namespace ravelin {

SectionPanels::SectionPanels()
    : m_stats({kStatsSectionHeights.begin(), kStatsSectionHeights.end()}),
      m_function({kFuncSectionHeights.begin(), kFuncSectionHeights.end()})
{}

void SectionPanels::attach(SectionPanel panel, SectionPanelsView* view, int firstTop, int pageHeight)
{
    (panel == SectionPanel::Stats ? m_statsView : m_functionView) = view;
    stackOf(panel).setGeometry(firstTop, pageHeight);
    if (view)
        view->showSections(panel, stackOf(panel));
}

void SectionPanels::addOperations(OperationTable& table)
{
    using Args = OperationTable::Args;
    table.addMethod("ClearFuncHighlight", 0, 0, [this](Args) {
        ClearFuncHighlight();
        return vbs::Variant();
    });
    table.addMethod("HighlightFunc", 1, 1, [this](Args a) {
        const double index = std::nearbyint(a[0].toDouble());
        if (!(index >= -32768 && index <= 32767) || !HighlightFunc(static_cast<int>(index)))
            vbs::raise(vbs::Err::SubscriptOutOfRange);
        return vbs::Variant();
    });
    table.addMethod("RefreshVSBFunc", 0, 0, [this](Args) {
        RefreshVSBFunc();
        return vbs::Variant();
    });
    table.addMethod("RefreshVSBMain", 0, 0, [this](Args) {
        RefreshVSBMain();
        return vbs::Variant();
    });
}

void SectionPanels::refresh(SectionPanel panel)
{
    if (SectionPanelsView* view = viewOf(panel))
        view->showSections(panel, stackOf(panel));
}

void SectionPanels::imgToggle_Click(int index)
{
    if (m_stats.toggle(index))
        refresh(SectionPanel::Stats);
}

void SectionPanels::imgFuncTog_Click(int index)
{
    if (m_function.toggle(index))
        refresh(SectionPanel::Function);
}

void SectionPanels::RefreshVSBMain()
{
    m_stats.rerange();
    refresh(SectionPanel::Stats);
}

void SectionPanels::RefreshVSBFunc()
{
    m_function.rerange();
    refresh(SectionPanel::Function);
}

void SectionPanels::ClearFuncHighlight()
{
    if (!m_functionView)
        return;
    for (int i = 0; i < m_function.count(); ++i)
        m_functionView->setTitleColour(i, kFuncTitleGrey);
}

bool SectionPanels::HighlightFunc(int index)
{
    if (index < 0 || index >= m_function.count())
        return false;
    ClearFuncHighlight();
    if (m_functionView)
        m_functionView->setTitleColour(index, kFuncTitleHighlight);
    return true;
}

} // namespace ravelin
