#include "config/CvarList.h"

#include <algorithm>

namespace ravelin {

namespace {

unsigned char folded(char c) { return static_cast<unsigned char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c); }

// Case-free byte order: -1, 0 or 1.
int compareText(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = folded(a[i]);
        const unsigned char y = folded(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

void CvarList::load(std::vector<CvarRow> rows)
{
    m_rows = std::move(rows);
    sortOnce();
}

int CvarList::columnClick(int column, int follow)
{
    if (column < 1 || column > 3)
        return follow;
    m_sortColumn = column - 1;
    if (column != m_lastSortColumn) {
        m_ascending = true;
        m_lastSortColumn = column;
    } else {
        m_ascending = !m_ascending;
    }
    return sortOnce(follow);
}

int CvarList::sortOnce(int follow)
{
    const int by = m_sortColumn;
    const bool ascending = m_ascending;
    std::vector<std::size_t> order(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const CvarRow& x = m_rows[a];
        const CvarRow& y = m_rows[b];
        const int c = by == 0 ? compareText(x.key, y.key)
            : by == 1         ? compareText(x.value, y.value)
                              : compareText(x.flags, y.flags);
        return ascending ? c < 0 : c > 0;
    });
    std::vector<CvarRow> sorted;
    sorted.reserve(m_rows.size());
    int followed = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (static_cast<int>(order[i]) == follow)
            followed = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[order[i]]));
    }
    m_rows = std::move(sorted);
    return followed;
}

int CvarList::find(std::string_view prefix) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const std::string_view key = m_rows[i].key;
        if (key.size() >= prefix.size() && compareText(key.substr(0, prefix.size()), prefix) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

void CvarList::setValue(int index, std::string value)
{
    if (index >= 0 && index < static_cast<int>(m_rows.size()))
        m_rows[static_cast<std::size_t>(index)].value = std::move(value);
}

} // namespace ravelin
