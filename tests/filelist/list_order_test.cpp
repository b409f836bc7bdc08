#include "filelist/list_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tesmira {
namespace {

TEST(FlagsAfterClick, ToggleStartsAscendingThenReverses) {
    const struct {
        unsigned before;
        unsigned after;
    } kCases[] = {
        {kSortToggle, kSortToggle | kSortAscending},
        {kSortToggle | kSortAscending, kSortToggle | kSortDescending},
        {kSortToggle | kSortDescending, kSortToggle | kSortAscending},
        // Both directions set: the next click clears them, the one after sorts ascending.
        {kSortToggle | kSortAscending | kSortDescending, kSortToggle},
        // Without the toggle bit a column keeps its direction.
        {kSortAscending, kSortAscending},
        {kSortDescending, kSortDescending},
        {0, 0},
    };
    for (const auto& c : kCases) EXPECT_EQ(FlagsAfterClick(c.before), c.after) << c.before;
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

TEST(CompareNoCase, FoldsLettersThenComparesUnits) {
    const struct {
        std::u16string a;
        std::u16string b;
        int expected;
    } kCases[] = {
        {u"a.mp4", u"A.MP4", 0},
        {u"100", u"20", -1},  // text, not numbers
        {u"Zeta", u"alpha", 1},
        {u"clip", u"CLIP1", -1},  // a prefix comes first
        {u"", u"", 0},
        {u"", u"a", -1},
        {u"\u00C4RGER.mp4", u"\u00E4rger.MP4", 0},                      // Latin-1
        {u"\u041F\u0423\u0422\u042C", u"\u043F\u0443\u0442\u044C", 0},  // Cyrillic
        {u"\u8DEF\u5F84", u"\u8DEF\u5F84", 0},
        {u"\U0001F600", u"\U0001F600", 0},  // surrogate pairs pass through
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(sign(CompareNoCase(c.a, c.b)), c.expected);
        EXPECT_EQ(sign(CompareNoCase(c.b, c.a)), -c.expected);
        EXPECT_EQ(sign(CompareText(c.a, c.b, kSortTextNoCase)), c.expected);
    }
    EXPECT_NE(CompareText(u"a.mp4", u"A.MP4", 0), 0);  // other types compare exactly
}

std::vector<std::u16string_view> views(const std::vector<std::u16string>& texts) {
    return {texts.begin(), texts.end()};
}

TEST(SortedOrder, BothDirectionsKeepEqualRowsInPlace) {
    const std::vector<std::u16string> texts = {u"b", u"A.MP4", u"20", u"a.mp4", u"100"};
    using Order = std::vector<std::size_t>;
    EXPECT_EQ(SortedOrder(views(texts), kSortToggle | kSortAscending, kSortTextNoCase),
              (Order{4, 2, 1, 3, 0}));
    EXPECT_EQ(SortedOrder(views(texts), kSortToggle | kSortDescending, kSortTextNoCase),
              (Order{0, 1, 3, 2, 4}));
    // Exact comparison puts upper case first.
    EXPECT_EQ(SortedOrder(views(texts), kSortAscending, 0), (Order{4, 2, 1, 3, 0}));
    EXPECT_EQ(SortedOrder(views({u"b", u"a", u"B"}), kSortAscending, 0), (Order{2, 1, 0}));
    // A column that does not sort leaves the rows as they are.
    EXPECT_EQ(SortedOrder(views(texts), 0, kSortTextNoCase), (Order{0, 1, 2, 3, 4}));
    EXPECT_TRUE(SortedOrder({}, kSortAscending, kSortTextNoCase).empty());
}

}  // namespace
}  // namespace tesmira
