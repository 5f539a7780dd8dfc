// The collapsible stack's arithmetic: tops follow the heights with an
// overlap of one, and the scroll range is whatever does not fit.
#include "config/SectionStack.h"

#include <gtest/gtest.h>

using namespace ravelin;

namespace {

constexpr int kFirstTop = 40;
constexpr int kPage = 478;

SectionStack functionStack() { return SectionStack({155, 125, 125, 155, 155}, kFirstTop, kPage); }

std::vector<int> tops(const SectionStack& s)
{
    std::vector<int> out;
    for (int i = 0; i < s.count(); ++i)
        out.push_back(s.top(i));
    return out;
}

} // namespace

TEST(SectionStack, CollapsedSectionsOverlapByOneAndFitWithoutScrolling)
{
    const SectionStack s = functionStack();
    EXPECT_EQ(tops(s), (std::vector<int>{40, 54, 68, 82, 96}));
    EXPECT_EQ(s.containerHeight(), 96 + 15 + 2);
    EXPECT_FALSE(s.scrollEnabled());
    EXPECT_EQ(s.scrollMaximum(), 1);
}

TEST(SectionStack, ExpandingMovesTheSectionsBelowAndTogglingBackRestores)
{
    SectionStack s = functionStack();
    const std::vector<int> before = tops(s);
    ASSERT_TRUE(s.toggle(0));
    EXPECT_TRUE(s.expanded(0));
    EXPECT_EQ(s.height(0), 155);
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(s.top(i), before[static_cast<std::size_t>(i)] + 140) << i;
    ASSERT_TRUE(s.toggle(0));
    EXPECT_EQ(tops(s), before);
    EXPECT_EQ(s.containerHeight(), 113);

    // The last section moves nothing, but the container grows.
    ASSERT_TRUE(s.toggle(4));
    EXPECT_EQ(tops(s), before);
    EXPECT_EQ(s.containerHeight(), 113 + 140);

    EXPECT_FALSE(s.toggle(-1));
    EXPECT_FALSE(s.toggle(5));
}

TEST(SectionStack, AStackTallerThanThePageScrollsExactlyToItsBottom)
{
    SectionStack s = functionStack();
    for (int i = 0; i < s.count(); ++i)
        s.toggle(i);
    const int bottom = s.top(4) + s.height(4);
    EXPECT_EQ(bottom, kFirstTop + 155 + 125 + 125 + 155 + 155 - 4);
    EXPECT_EQ(s.containerHeight(), bottom + 2);
    EXPECT_TRUE(s.scrollEnabled());
    EXPECT_EQ(s.scrollMaximum(), s.containerHeight() - kPage);
    // Scrolled to the end, the last section's bottom is on the page.
    EXPECT_LE(bottom - s.scrollMaximum(), kPage);

    // Just fitting does not scroll; one unit more does.
    SectionStack fits({kPage - 2 - kFirstTop}, kFirstTop, kPage);
    fits.toggle(0);
    EXPECT_FALSE(fits.scrollEnabled());
    SectionStack over({kPage - 1 - kFirstTop}, kFirstTop, kPage);
    over.toggle(0);
    EXPECT_TRUE(over.scrollEnabled());
    EXPECT_EQ(over.scrollMaximum(), 1);

    // The scroll bar's range is 16-bit.
    SectionStack huge(std::vector<int>(400, 200), 0, kPage);
    for (int i = 0; i < huge.count(); ++i)
        huge.toggle(i);
    EXPECT_EQ(huge.scrollMaximum(), 32767);
}
