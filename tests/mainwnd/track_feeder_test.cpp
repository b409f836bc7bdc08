#include "mainwnd/track_feeder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_page.h"

namespace tesmira {
namespace {

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
    feeder.Stop();
    for (const DerivedSample& sample : {Fix(2.35, 48.85), NoFix(), Fix(2.36, 48.86)})
        feeder.PlotSample(sample, 0);
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

TEST_F(TrackFeederTest, ANewPageGetsTheTrackInItsProvidersDatumAndTheMarkerAtTheSecond) {
    feeder.Stop();
    feeder.PlotSample(Fix(114.061523, 22.542796), 0);
    feeder.PlotSample(NoFix(), 0);
    struct Case {
        bool running;
        std::vector<PageCall> tail;
    };
    for (const Case& c : {Case{true, {{"play", {"42", "1000"}}}},
                          Case{false, {{"play", {"42", "1000"}}, {"pause", {}}}}}) {
        page.calls.clear();
        feeder.Resend(1, 42, c.running);
        std::vector<PageCall> expected = {
            {"stop", {}},
            {"path_plot", {"114.073188", "22.545760"}},
            {"path_plot", {"V", "V"}},
        };
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(page.calls, expected) << (c.running ? "running" : "paused");
    }
    // The next film's load forgets the track: there is nothing to send again.
    feeder.Stop();
    page.calls.clear();
    feeder.Resend(0, 3, true);
    EXPECT_TRUE(page.calls.empty());
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
