// The widgets of one collapsible section panel: a scroll container holding
// the page title and the sections (each a framed container with a title bar,
// its label and a plus/minus toggle), and the vertical scroll bar beside it.
// The layout numbers come from the session's SectionPanels; this class only
// copies them onto the widgets, and forwards toggle clicks.
#pragma once

#include "mainwindow/SectionPanels.h"

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <vector>

class QFrame;
class QLabel;
class QScrollBar;
class QToolButton;

namespace ravelin {

class MainSession;

struct SectionStackNames {
    const char* pageTitle; // "Environment Functions"
    const char* toggle; // imgFuncTog
    const char* container; // picFunc
    const char* titleBar; // lblFuncBase
    const char* titleLabel; // lblFunc
    const char* scroll; // picFuncScroll
    const char* scrollBar; // vsbFunc
};

class SectionStackWidget final : public QWidget, private SectionPanelsView {
public:
    static constexpr int kFirstTop = 40;

    SectionStackWidget(MainSession& session, SectionPanel panel, const SectionStackNames& names,
                       const std::vector<const char*>& titles, QWidget* page);

    // Section i's container: contents go below its 15-unit title row.
    QFrame* section(int index) const { return m_sections[static_cast<std::size_t>(index)]; }
    QWidget* scrollContainer() const { return m_scroll; }
    QScrollBar* scrollBar() const { return m_scrollBar; }
    int sectionWidth() const;

private:
    void showSections(SectionPanel panel, const SectionStack& stack) override;
    void setTitleColour(int index, SectionColour colour) override;
    void toggleClicked(int index);
    void scrolled(int value);

    MainSession& m_session;
    SectionPanel m_panel;
    QLabel* m_imgPlus = nullptr;
    QLabel* m_imgMinus = nullptr;
    QWidget* m_scroll = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    std::vector<QFrame*> m_sections;
    std::vector<QLabel*> m_titleBars;
    std::vector<QToolButton*> m_toggles;
};

} // namespace ravelin
