// The tab strip's names and the restacking rule of a tab switch, kept apart
// from the widgets so the order can be checked without a display.
//
// Tabs overlap; the selected one must lie on top with its neighbours
// stacked away from it on both sides. Raising 0..k, then last..k, then k
// once more leaves the order k, k+1, ..., last, k-1, ..., 0 from the top.
#pragma once

#include <array>
#include <vector>

namespace ravelin {

inline constexpr int kTabCount = 8;
inline constexpr std::array<const char*, kTabCount> kTabNames = {"console", "sys",     "stats", "function",
                                                                 "options", "clients", "cvars", "editor"};
inline constexpr int kClientsTab = 5;
inline constexpr int kCvarsTab = 6;
inline constexpr int kEditorTab = 7;

// Indices to bring to the front, one after the other, when tab k is chosen.
inline std::vector<int> tabRaiseSequence(int k, int count = kTabCount)
{
    std::vector<int> order;
    int last = count - 1;
    if (k > 0)
        for (int i = 0; i <= k; ++i)
            order.push_back(i);
    if (k < last)
        for (int i = last; i >= k; --i)
            order.push_back(i);
    order.push_back(k);
    return order;
}

} // namespace ravelin
