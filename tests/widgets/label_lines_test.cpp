#include "widgets/label_lines.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tesmira {
namespace {

using Lines = std::vector<std::u16string>;

// Every code unit is 10 pixels wide.
int fixedWidth(std::u16string_view s) {
    return static_cast<int>(s.size()) * 10;
}

TEST(LabelLines, ShortTextIsOneLine) {
    EXPECT_EQ(BreakLabelLines(u"100KM", 100, fixedWidth), Lines{u"100KM"});
    EXPECT_EQ(BreakLabelLines(u"N22.542796,E114.061523", 250, fixedWidth),
              Lines{u"N22.542796,E114.061523"});
    EXPECT_TRUE(BreakLabelLines(u"", 100, fixedWidth).empty());
}

TEST(LabelLines, TextWithoutSpaceIsCutCharacterByCharacter) {
    EXPECT_EQ(BreakLabelLines(u"ABCDEFGHIJ", 35, fixedWidth),
              (Lines{u"ABC", u"DEF", u"GHI", u"J"}));
    // A line exactly as wide as the label still fits.
    EXPECT_EQ(BreakLabelLines(u"ABCDEF", 30, fixedWidth), (Lines{u"ABC", u"DEF"}));
}

TEST(LabelLines, LineBreakPairsEndLinesAndAreDropped) {
    EXPECT_EQ(BreakLabelLines(u"AB\r\nCD", 100, fixedWidth), (Lines{u"AB", u"CD"}));
    EXPECT_EQ(BreakLabelLines(u"AB\n\rCD", 100, fixedWidth), (Lines{u"AB", u"CD"}));
    // A lone LF or CR is an ordinary character.
    EXPECT_EQ(BreakLabelLines(u"AB\nCD", 100, fixedWidth), Lines{u"AB\nCD"});
    // Two pairs in a row give an empty line between.
    EXPECT_EQ(BreakLabelLines(u"A\r\n\r\nB", 100, fixedWidth), (Lines{u"A", u"", u"B"}));
    // A pair at the very end leaves an empty last line.
    EXPECT_EQ(BreakLabelLines(u"AB\r\n", 100, fixedWidth), (Lines{u"AB", u""}));
    EXPECT_EQ(BreakLabelLines(u"\n\r", 100, fixedWidth), (Lines{u"", u""}));
    // A last character taken alone by a too narrow label leaves nothing behind.
    EXPECT_EQ(BreakLabelLines(u"AB", 5, fixedWidth), (Lines{u"A", u"B"}));
}

TEST(LabelLines, NoLineEndsInsideALineBreakPair) {
    const std::u16string text = u"ABCD\r\nEFG\r\nHIJKLMN\n\rOP";
    for (int width = 5; width <= 120; width += 5) {
        const Lines lines = BreakLabelLines(text, width, fixedWidth);
        std::u16string joined;
        for (const auto& line : lines) {
            EXPECT_EQ(line.find(u'\r'), std::u16string::npos) << "width " << width;
            EXPECT_EQ(line.find(u'\n'), std::u16string::npos) << "width " << width;
            EXPECT_LE(fixedWidth(line), std::max(width, 10)) << "width " << width;
            joined += line;
        }
        EXPECT_EQ(joined, u"ABCDEFGHIJKLMNOP") << "width " << width;
    }
    EXPECT_EQ(BreakLabelLines(u"ABCD\r\nE", 35, fixedWidth), (Lines{u"ABC", u"D", u"E"}));
}

TEST(LabelLines, OverflowBreaksAtLastSpaceAndDropsIt) {
    EXPECT_EQ(BreakLabelLines(u"hello world foo", 80, fixedWidth),
              (Lines{u"hello", u"world", u"foo"}));
    // A line that ends in a space keeps it and breaks before the overflow.
    EXPECT_EQ(BreakLabelLines(u"abcd efgh", 50, fixedWidth), (Lines{u"abcd ", u"efgh"}));
    // A leading space as the only space gives an empty line and is dropped.
    EXPECT_EQ(BreakLabelLines(u" abcdef", 40, fixedWidth), (Lines{u"", u"abcd", u"ef"}));
}

TEST(LabelLines, ProportionalWidthsAreMeasuredOnTheWholeCandidate) {
    const std::map<char16_t, int> widths{{u'W', 20}, {u'i', 4}, {u' ', 5}};
    const auto measure = [&widths](std::u16string_view s) {
        int w = 0;
        for (char16_t c : s) w += widths.count(c) ? widths.at(c) : 10;
        return w;
    };
    // "Wi iW" = 20+4+5+4+20; the second W overflows 40.
    EXPECT_EQ(BreakLabelLines(u"Wi iW", 40, measure), (Lines{u"Wi", u"iW"}));
    EXPECT_EQ(BreakLabelLines(u"iiiiiiiiiiW", 40, measure), (Lines{u"iiiiiiiiii", u"W"}));
}

TEST(LabelLines, NarrowLabelTakesOneCharacterPerLineAndTerminates) {
    EXPECT_EQ(BreakLabelLines(u"ABC", 5, fixedWidth), (Lines{u"A", u"B", u"C"}));
    EXPECT_EQ(BreakLabelLines(u"AB", 0, fixedWidth), (Lines{u"A", u"B"}));
    EXPECT_EQ(BreakLabelLines(u"AB", -20, fixedWidth), (Lines{u"A", u"B"}));
}

TEST(LabelLines, SurrogatePairsStayTogether) {
    const std::u16string face = u"\U0001F600";
    ASSERT_EQ(face.size(), 2u);
    const Lines lines = BreakLabelLines(u"a" + face + u"b", 25, fixedWidth);
    EXPECT_EQ(lines, (Lines{u"a", face, u"b"}));
    // Narrower than the pair: the pair still makes one line.
    EXPECT_EQ(BreakLabelLines(face + face, 5, fixedWidth), (Lines{face, face}));
}

TEST(LabelLines, FirstLineTopCentresTheBlockOfLines) {
    EXPECT_EQ(FirstLineTop(0, 25, 1, 19, true), 3);
    EXPECT_EQ(FirstLineTop(10, 25, 1, 19, true), 13);
    EXPECT_EQ(FirstLineTop(0, 25, 1, 19, false), 0);
    EXPECT_EQ(FirstLineTop(7, 25, 3, 19, false), 7);
    // Taller than the label: overhangs evenly, rounded toward zero.
    EXPECT_EQ(FirstLineTop(0, 25, 3, 19, true), -16);
    EXPECT_EQ(FirstLineTop(0, 24, 0, 19, true), 12);
}

}  // namespace
}  // namespace tesmira
