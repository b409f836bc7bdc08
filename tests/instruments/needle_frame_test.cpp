#include "instruments/needle_frame.h"

#include <gtest/gtest.h>

#include <limits>

namespace tesmira {
namespace {

TEST(SpeedNeedleFrame, RestsAtZeroWithoutValuesOrBeforeTheFirstSample) {
    EXPECT_EQ(SpeedNeedleFrame({}, 0, "KMH"), 0);
    EXPECT_EQ(SpeedNeedleFrame({}, 5, "KMH"), 0);
    EXPECT_EQ(SpeedNeedleFrame({88.0, 120.0}, 0, "KMH"), 0);
}

TEST(SpeedNeedleFrame, ShowsTheSampleBeforeThePositionScaledByUnit) {
    const std::vector<double> v{10.0, 57.9, 130.0};
    EXPECT_EQ(SpeedNeedleFrame(v, 2, "KMH"), 57);
    EXPECT_EQ(SpeedNeedleFrame(v, 2, "MPH"), 35);  // 57.9 * 0.6213712 = 35.98
    EXPECT_EQ(SpeedNeedleFrame(v, 1, "KMH"), 10);
    EXPECT_EQ(SpeedNeedleFrame(v, 3, "KMH"), 130);
    EXPECT_EQ(SpeedNeedleFrame(v, 3, "MPH"), 80);  // 80.778
    // Any other unit value, even "mph", scales as km/h.
    EXPECT_EQ(SpeedNeedleFrame(v, 2, "mph"), 57);
    EXPECT_EQ(SpeedNeedleFrame(v, 2, ""), 57);
}

TEST(SpeedNeedleFrame, WrapsRoundAndHidesPastTheEnd) {
    EXPECT_EQ(SpeedNeedleFrame({400.0}, 1, "KMH"), 40);
    EXPECT_EQ(SpeedNeedleFrame({359.99}, 1, "KMH"), 359);
    EXPECT_EQ(SpeedNeedleFrame({360.0}, 1, "KMH"), 0);
    EXPECT_EQ(SpeedNeedleFrame({1.0, 2.0}, 3, "KMH"), kNoNeedle);
    EXPECT_EQ(SpeedNeedleFrame({1.0, 2.0}, -1, "KMH"), kNoNeedle);
}

TEST(SpeedNeedleFrame, DamagedValuesStayInsideTheFrames) {
    EXPECT_EQ(SpeedNeedleFrame({-1.0}, 1, "KMH"), 359);
    EXPECT_EQ(SpeedNeedleFrame({-0.5}, 1, "KMH"), 359);
    EXPECT_EQ(SpeedNeedleFrame({std::numeric_limits<double>::quiet_NaN()}, 1, "KMH"), 0);
    EXPECT_EQ(SpeedNeedleFrame({std::numeric_limits<double>::infinity()}, 1, "MPH"), 0);
    const int big = SpeedNeedleFrame({1e300}, 1, "KMH");
    EXPECT_GE(big, 0);
    EXPECT_LT(big, 360);
}

TEST(CompassNeedleFrame, RedEndFollowsTheCourse) {
    EXPECT_EQ(CompassNeedleFrame({0.0}, 1), 180);
    EXPECT_EQ(CompassNeedleFrame({90.0}, 1), 270);
    EXPECT_EQ(CompassNeedleFrame({359.9}, 1), 179);
    EXPECT_EQ(CompassNeedleFrame({180.0}, 1), 0);  // no fix reads as course 180
    EXPECT_EQ(CompassNeedleFrame({360.0}, 1), 180);
    EXPECT_EQ(CompassNeedleFrame({725.5}, 1), 185);
    EXPECT_EQ(CompassNeedleFrame({-90.0}, 1), 90);
}

TEST(CompassNeedleFrame, RestAndNoNeedleCases) {
    EXPECT_EQ(CompassNeedleFrame({}, 0), 0);
    EXPECT_EQ(CompassNeedleFrame({}, 3), 0);
    EXPECT_EQ(CompassNeedleFrame({45.0}, 0), 0);
    EXPECT_EQ(CompassNeedleFrame({45.0, 46.0}, 2), 226);
    EXPECT_EQ(CompassNeedleFrame({45.0, 46.0}, 3), kNoNeedle);
    EXPECT_EQ(CompassNeedleFrame({std::numeric_limits<double>::quiet_NaN()}, 1), 0);
}

TEST(SpeedUnitText, OnlyTheTwoExactUnitsHaveText) {
    EXPECT_EQ(SpeedUnitText("KMH"), "km/h");
    EXPECT_EQ(SpeedUnitText("MPH"), "M/h");
    EXPECT_EQ(SpeedUnitText("mph"), "");
    EXPECT_EQ(SpeedUnitText("kmh"), "");
    EXPECT_EQ(SpeedUnitText(""), "");
    EXPECT_EQ(SpeedUnitText("KMH "), "");
}

}  // namespace
}  // namespace tesmira
