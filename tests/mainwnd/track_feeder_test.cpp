#include "mainwnd/track_feeder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tesmira {
namespace {

struct PageCall {
    std::string name;
    std::vector<std::string> args;
    bool operator==(const PageCall&) const = default;
};

class RecordingPage : public MapPage {
public:
    bool CallPageFunction(const std::string& name, const std::vector<std::string>& args) override {
        calls.push_back({name, args});
        return true;
    }
    std::vector<PageCall> calls;
};

DerivedSample Fix(double longitude, double latitude) {
    DerivedSample sample;
    sample.fixValid = true;
    sample.longitude = longitude;
    sample.latitude = latitude;
    return sample;
}

DerivedSample NoFix() {
    return DerivedSample{};
}

class TrackFeederTest : public ::testing::Test {
protected:
    RecordingPage page;
    TrackFeeder feeder{page};
};

TEST_F(TrackFeederTest, FilmLoadStopsThenPlotsEverySampleInOrderThenPlaysFromTheStart) {
    const std::vector<DerivedSample> samples = {Fix(2.35, 48.85), NoFix(), Fix(2.36, 48.86)};
    feeder.LoadTrack(samples, 0);
    feeder.Play(1000);

    const std::vector<PageCall> expected = {
        {"stop", {}},
        {"path_plot", {"2.350000", "48.850000"}},
        {"path_plot", {"V", "V"}},
        {"path_plot", {"2.360000", "48.860000"}},
        {"play", {"0", "1000"}},
    };
    EXPECT_EQ(page.calls, expected);
}

TEST_F(TrackFeederTest, AnEmptyFilmOnlyStops) {
    feeder.LoadTrack({}, 1);
    ASSERT_EQ(page.calls.size(), 1u);
    EXPECT_EQ(page.calls[0], (PageCall{"stop", {}}));
}

TEST_F(TrackFeederTest, ThePointIsShiftedIntoTheProvidersDatum) {
    struct Case {
        int provider;
        std::vector<std::string> texts;
    };
    for (const Case& c :
         {Case{0, {"114.066641", "22.540085"}}, Case{1, {"114.073188", "22.545760"}}}) {
        page.calls.clear();
        feeder.PlotSample(Fix(114.061523, 22.542796), c.provider);
        ASSERT_EQ(page.calls.size(), 1u);
        EXPECT_EQ(page.calls[0], (PageCall{"path_plot", c.texts})) << "provider " << c.provider;
    }
}

TEST_F(TrackFeederTest, PauseAndResumeDriveTheMarker) {
    feeder.Play(966);
    feeder.Pause();
    feeder.ResumeAt(125);
    const std::vector<PageCall> expected = {
        {"play", {"0", "966"}},
        {"pause", {}},
        {"play", {"125", "1000"}},
    };
    EXPECT_EQ(page.calls, expected);
}

}  // namespace
}  // namespace tesmira
