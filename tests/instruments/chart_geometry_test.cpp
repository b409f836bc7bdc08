#include "instruments/chart_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tesmira {
namespace {

TEST(ChartLayout, RectanglesFollowTheMarginsLabelColumnAndLegend) {
    const ChartLayout l = ComputeChartLayout({10, 20, 470, 120});
    EXPECT_EQ(l.client, (IntRect{10, 20, 470, 120}));
    EXPECT_EQ(l.labels, (IntRect{15, 35, 65, 105}));
    EXPECT_EQ(l.legend, (IntRect{65, 85, 465, 105}));
    EXPECT_EQ(l.plot, (IntRect{65, 35, 465, 85}));
    EXPECT_DOUBLE_EQ(ChartScale(l.plot, 0, 5120000), 5120000.0 / 50);
    EXPECT_TRUE(std::isinf(ChartScale({0, 10, 50, 10}, 0, 100)));
}

TEST(ChartGeometry, ValueRowsAreTruncatedAndNotClipped) {
    // plot bottom 85, scale 100 units per row
    EXPECT_EQ(ValueRow(0, 85, 0, 100), 85);
    EXPECT_EQ(ValueRow(5000, 85, 0, 100), 35);
    EXPECT_EQ(ValueRow(150, 85, 0, 100), 83);   // 83.5 truncated
    EXPECT_EQ(ValueRow(-150, 85, 0, 100), 86);  // 86.5 truncated, below the plot
    EXPECT_EQ(ValueRow(9000, 85, 0, 100), -5);  // above the control's top
    EXPECT_EQ(ValueRow(-1e300, 85, 0, 100), 1 << 24);
    // A plot of zero height: every row lands on the bottom edge.
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ValueRow(12345, 40, 0, inf), 40);
    EXPECT_EQ(ValueRow(inf, 40, 0, inf), 40);
}

TEST(ChartGeometry, FiveLabelRowsFromTheValueRange) {
    // Film settings: 0 .. 5,120,000 on a 50-row plot; labels at 0, 128, 256, 384, 512 raw.
    const double scale = 5120000.0 / 50;
    EXPECT_EQ(AxisLabelRows(85, 0, 5120000, scale), (std::vector<int>{85, 72, 60, 47, 35}));
    // A fractional minimum shifts the labels onto whole value units.
    EXPECT_EQ(AxisLabelRows(100, 0.5, 400.5, 4.0), (std::vector<int>{100, 75, 50, 25, 0}));
    // A negative one: rows 99.875, 74.875 ... -0.125, each truncated toward zero.
    EXPECT_EQ(AxisLabelRows(100, -0.5, 399.5, 4.0), (std::vector<int>{99, 74, 49, 24, 0}));
    // A range below 4 gives a step of 0: no labels.
    EXPECT_TRUE(AxisLabelRows(100, 0, 3.99, 0.04).empty());
    EXPECT_EQ(AxisLabelRows(100, 0, 4, 0.04).size(), 5u);
    EXPECT_TRUE(AxisLabelRows(100, 10, 0, -0.1).empty());
}

std::vector<IntPoint> Poly(const std::vector<double>& y, int position, IntRect plot,
                           double minimum = 0, double scale = 1) {
    std::vector<IntPoint> out{{-1, -1}};  // must be replaced, not appended to
    LinePolyline(y, y.size(), position, plot, minimum, scale, out);
    return out;
}

TEST(ChartPolyline, SpacedNewestSampleOnTheLeftOldestReachingTheRight) {
    // 100 points on a 400-pixel plot with all 100 shown: d = 400 / 99.
    const IntRect plot{55, 15, 455, 115};
    std::vector<double> y(100);
    for (int i = 0; i < 100; ++i) y[i] = i;
    const auto pts = Poly(y, 100, plot);
    ASSERT_EQ(pts.size(), 100u);
    EXPECT_EQ(pts[0], (IntPoint{455, 115}));  // sample 0 on the right edge
    EXPECT_EQ(pts[99], (IntPoint{55, 16}));   // sample 99 on the left edge
    EXPECT_EQ(pts[98].x, static_cast<int>(55 + 400.0 / 99));
    EXPECT_EQ(pts[50].x, static_cast<int>(55 + 400.0 / 99 * 49));
    EXPECT_EQ(pts[50].y, 65);

    // Only 10 of them shown: the newest still on the left, d apart.
    const auto ten = Poly(y, 10, plot);
    ASSERT_EQ(ten.size(), 10u);
    EXPECT_EQ(ten[9].x, 55);
    EXPECT_EQ(ten[0].x, static_cast<int>(55 + 400.0 / 99 * 9));
}

TEST(ChartPolyline, SinglePointUsesUnitSpacing) {
    const auto pts = Poly({30.0}, 1, {0, 0, 100, 100});
    ASSERT_EQ(pts.size(), 1u);
    EXPECT_EQ(pts[0], (IntPoint{0, 70}));
}

TEST(ChartPolyline, GroupedDrawingPlacesGroupsOnePixelApart) {
    // 1000 points on a 300-pixel plot: g = 3. Position 10: q = 3, r = 1.
    const IntRect plot{55, 0, 355, 1000};
    std::vector<double> y(1000);
    for (int i = 0; i < 1000; ++i) y[i] = i * 10;  // rows 1000 - 10 i
    const auto pts = Poly(y, 10, plot);
    ASSERT_EQ(pts.size(), 10u);
    for (int j = 0; j < 3; ++j)
        EXPECT_EQ(pts[j], (IntPoint{58, 990})) << j;  // mean of 1000,990,980
    for (int j = 3; j < 6; ++j) EXPECT_EQ(pts[j], (IntPoint{57, 960})) << j;
    for (int j = 6; j < 9; ++j) EXPECT_EQ(pts[j], (IntPoint{56, 930})) << j;
    EXPECT_EQ(pts[9], (IntPoint{55, 910}));

    // Position 9 (r = 0): three full groups, the newest on the left edge.
    const auto nine = Poly(y, 9, plot);
    ASSERT_EQ(nine.size(), 9u);
    EXPECT_EQ(nine[0].x, 57);
    EXPECT_EQ(nine[8].x, 55);

    // Fewer shown than one group: all share the left edge and the mean row.
    const auto two = Poly(y, 2, plot);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0], (IntPoint{55, 995}));
    EXPECT_EQ(two[1], (IntPoint{55, 995}));

    // The whole line: 334 groups, the oldest at plot left + 333.
    const auto all = Poly(y, 1000, plot);
    ASSERT_EQ(all.size(), 1000u);
    EXPECT_EQ(all[0].x, 55 + 333);
    EXPECT_EQ(all[999].x, 55);
}

TEST(ChartPolyline, GroupMeanTruncatesTowardZero) {
    // Rows -1, -2 (above the plot): sum -3, integer mean -1.
    const auto pts = Poly({11, 12, 0, 0, 0}, 2, {0, 0, 2, 10});
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].y, -1);
}

TEST(ChartPolyline, NothingForPositionZeroOrNoWidthAndNeverMoreThanTheLineHolds) {
    const std::vector<double> y{1, 2, 3, 4, 5};
    EXPECT_TRUE(Poly(y, 0, {0, 0, 100, 100}).empty());
    EXPECT_TRUE(Poly(y, -3, {0, 0, 100, 100}).empty());
    EXPECT_TRUE(Poly(y, 5, {0, 0, 0, 100}).empty());
    EXPECT_TRUE(Poly(y, 5, {50, 0, 20, 100}).empty());
    // Past the last sample: the whole line, and not one point more.
    const auto past = Poly(y, 50, {0, 0, 100, 100});
    ASSERT_EQ(past.size(), 5u);
    EXPECT_EQ(past, Poly(y, 5, {0, 0, 100, 100}));
    // Grouped too (5 points on 2 pixels).
    EXPECT_EQ(Poly(y, 99, {0, 0, 2, 100}).size(), 5u);
    // A point count below the values held limits what is read.
    std::vector<IntPoint> out;
    LinePolyline(y, 3, 5, {0, 0, 100, 100}, 0, 1, out);
    EXPECT_EQ(out.size(), 3u);
}

}  // namespace
}  // namespace tesmira
