#include "instruments/pane_layout.h"

#include <gtest/gtest.h>

namespace tesmira {
namespace {

TEST(PaneLayout, ChartLeftDialsRightCentredVertically) {
    // A pane 806 x 171 pixels: the chart gets what the two dials leave.
    const PaneLayout p = ComputePaneLayout({0, 0, 806, 171});
    EXPECT_EQ(p.chart, (IntRect{0, 0, 348, 171}));
    EXPECT_EQ(p.speedometer, (IntRect{504, 10, 655, 161}));
    EXPECT_EQ(p.compass, (IntRect{655, 10, 806, 161}));
}

TEST(PaneLayout, SmallPanes) {
    // Height below the dials: they stick out above and below, centred.
    PaneLayout p = ComputePaneLayout({0, 0, 806, 100});
    EXPECT_EQ(p.speedometer.top, -25);
    EXPECT_EQ(p.compass.bottom, 126);
    // Narrower than the dials: the chart has no width instead of a negative one.
    p = ComputePaneLayout({0, 0, 300, 100});
    EXPECT_EQ(p.chart.Width(), 0);
    EXPECT_EQ(p.compass.right, 300);
    EXPECT_EQ(p.speedometer.left, -2);
}

}  // namespace
}  // namespace tesmira
