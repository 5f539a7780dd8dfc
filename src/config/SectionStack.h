// A vertical stack of collapsible sections in a scrollable area, as plain
// arithmetic: each section is its 15-unit title row when collapsed or its
// own expanded height when open; every section starts one unit above the
// previous one's bottom (they overlap by one); the scroll container is as
// tall as the stack plus 2, and the scroll bar's range is whatever of it
// does not fit on the page. The window only copies these numbers onto its
// widgets.
#pragma once

#include <vector>

namespace ravelin {

inline constexpr int kCollapsedSectionHeight = 15;

class SectionStack {
public:
    // `expandedHeights` has one entry per section, top to bottom;
    // `firstTop` is the first section's top inside the scroll container and
    // `pageHeight` the visible height the container scrolls in.
    SectionStack(std::vector<int> expandedHeights, int firstTop = 0, int pageHeight = 0);

    void setGeometry(int firstTop, int pageHeight);

    int count() const { return static_cast<int>(m_heights.size()); }
    bool expanded(int index) const { return m_expanded[static_cast<std::size_t>(index)]; }
    int top(int index) const { return m_tops[static_cast<std::size_t>(index)]; }
    int height(int index) const;
    int expandedHeight(int index) const { return m_heights[static_cast<std::size_t>(index)]; }

    // Opens a collapsed section or closes an open one; the sections below
    // follow and the scroll range is taken again. False for no such section.
    bool toggle(int index);

    // The scroll container's height and the scroll bar's range.
    void rerange();
    int containerHeight() const { return m_containerHeight; }
    bool scrollEnabled() const { return m_scrollEnabled; }
    int scrollMaximum() const { return m_scrollMaximum; }

private:
    void restackFrom(int index);

    std::vector<int> m_heights;
    std::vector<bool> m_expanded;
    std::vector<int> m_tops;
    int m_pageHeight = 0;
    int m_containerHeight = 0;
    bool m_scrollEnabled = false;
    int m_scrollMaximum = 1;
};

} // namespace ravelin
