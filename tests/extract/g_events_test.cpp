#include "extract/g_events.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace tesmira {
namespace {

constexpr int32_t kZero = 2560000;  // 0 g on the chart

// One record per entry: the x axis in g (y and z stay at 0 g, z at +1 g).
std::vector<DerivedSample> SeriesX(const std::vector<double>& xG, bool fix = true) {
    std::vector<DerivedSample> samples(xG.size());
    for (std::size_t i = 0; i < xG.size(); ++i) {
        samples[i].fixValid = fix;
        samples[i].gsensor = {ChartValueForG(xG[i]), kZero, ChartValueForG(1.0)};
    }
    return samples;
}

TEST(GEventsTest, ThresholdMergingAndEdges) {
    struct Case {
        std::string name;
        std::vector<double> xG;
        double threshold;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        {"steady film", {0, 0, 0, 0}, 0.3, {}},
        {"exactly the threshold is no event", {0, 0.3, 0.3}, 0.3, {}},
        {"just over it", {0, 0.31, 0.31}, 0.3, {1}},
        {"a drop counts like a rise", {0.5, 0.5, 0.1}, 0.3, {2}},
        {"the last record", {0, 0, 0, 1}, 0.3, {3}},
        {"a jump back is the same run", {0, 1, 0, 0, 0, 0}, 0.3, {1}},
        {"3 s apart are two events", {0, 1, 1, 1, 0, 0}, 0.3, {1, 4}},
        {"2 s apart merge", {0, 1, 1, 0, 0, 0}, 0.3, {1}},
        {"a run chains past 3 s", {0, 1, 1, 0, 0, 1, 1, 0}, 0.3, {1}},
        {"a higher threshold", {0, 0.5, 0.5, 0.5, 0.5, 2}, 1.0, {5}},
        {"one record", {2}, 0.3, {}},
        {"no records", {}, 0.3, {}},
        {"a zero threshold finds nothing", {0, 1}, 0.0, {}},
        {"a NaN threshold finds nothing", {0, 1}, std::numeric_limits<double>::quiet_NaN(), {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindGEvents(SeriesX(c.xG), c.threshold), c.expected) << c.name;
    }
}

TEST(GEventsTest, AnyAxisAndNoFixSecondsCount) {
    std::vector<DerivedSample> samples = SeriesX({0, 0, 0, 0, 0, 0, 0, 0}, false);
    samples[2].gsensor[1] = ChartValueForG(-0.4);  // along: a brake
    samples[6].gsensor[2] = ChartValueForG(1.5);   // up: a bump
    EXPECT_EQ(FindGEvents(samples), (std::vector<int>{2, 6}));
    // The clamped ends of the chart still count as a change.
    samples = SeriesX({-5, 5});
    EXPECT_EQ(FindGEvents(samples), std::vector<int>{1});
}

}  // namespace
}  // namespace tesmira
