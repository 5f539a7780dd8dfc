#include "config/SectionStack.h"

#include <algorithm>

namespace ravelin {

SectionStack::SectionStack(std::vector<int> expandedHeights, int firstTop, int pageHeight)
    : m_heights(std::move(expandedHeights)), m_expanded(m_heights.size(), false), m_tops(m_heights.size(), 0)
{
    setGeometry(firstTop, pageHeight);
}

void SectionStack::setGeometry(int firstTop, int pageHeight)
{
    m_pageHeight = pageHeight;
    if (!m_tops.empty()) {
        m_tops[0] = firstTop;
        restackFrom(1);
    }
    rerange();
}

int SectionStack::height(int index) const { return expanded(index) ? expandedHeight(index) : kCollapsedSectionHeight; }

bool SectionStack::toggle(int index)
{
    if (index < 0 || index >= count())
        return false;
    m_expanded[static_cast<std::size_t>(index)] = !expanded(index);
    restackFrom(index + 1);
    rerange();
    return true;
}

void SectionStack::restackFrom(int index)
{
    for (int i = std::max(index, 1); i < count(); ++i)
        m_tops[static_cast<std::size_t>(i)] = top(i - 1) + height(i - 1) - 1;
}

void SectionStack::rerange()
{
    if (m_tops.empty()) {
        m_containerHeight = 0;
    } else {
        const int last = count() - 1;
        m_containerHeight = top(last) + height(last) + 2;
    }
    int overflow = m_containerHeight - m_pageHeight;
    m_scrollEnabled = overflow >= 1;
    if (!m_scrollEnabled)
        overflow = 1;
    // The scroll bar holds a 16-bit maximum.
    m_scrollMaximum = std::min(overflow, 32767);
}

} // namespace ravelin
