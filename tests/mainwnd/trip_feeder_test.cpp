#include "mainwnd/trip_feeder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mainwnd/track_texts.h"
#include "recording_page.h"

namespace tesmira {
namespace {

// Two seconds in Paris (no shift anywhere) around one without a fix, an event at 2.
std::shared_ptr<const FilmRecords> Paris() {
    return std::make_shared<const FilmRecords>(
        FilmRecords{true, {{48.85, 2.35, true}, {0, 0, false}, {48.86, 2.36, true}}, {2}});
}

class TripFeederTest : public ::testing::Test {
protected:
    RecordingPage page;
    TripFeeder feeder{page};
};

TEST_F(TripFeederTest, EachFilmGoesAsItsPointsBySecondWithGapsAndEventsInTheProvidersDatum) {
    // Shenzhen lies in the shift area: each provider's datum, as the single track gets it.
    const TrackPoint shenzhen{22.542796, 114.061523, true};
    const struct {
        int provider;
        const char* shenzhen;  // "lat,lng" the page gets
    } cases[] = {
        {kMapProviderGoogle, "22.540085,114.066641"},
        {kMapProviderBaidu, "22.545760,114.073188"},
        {kMapProviderOsm, "22.542796,114.061523"},
    };
    // Events at seconds the film does not have are left out.
    feeder.Add(7, std::make_shared<const FilmRecords>(
                      FilmRecords{true, {shenzhen, {0, 0, false}}, {1, 2, -1}}));
    feeder.Add(3, Paris());
    for (const auto& c : cases) {
        EXPECT_EQ(feeder.FilmsJson({7, 3}, c.provider),
                  std::string("[{\"id\":7,\"points\":[[") + c.shenzhen +
                      "],null],\"events\":[1]},"
                      "{\"id\":3,\"points\":[[48.850000,2.350000],null,[48.860000,2.360000]],"
                      "\"events\":[2]}]")
            << c.provider;
    }
    // A film that is no longer kept is not written.
    EXPECT_EQ(feeder.FilmsJson({9}, kMapProviderOsm), "[]");
}

TEST_F(TripFeederTest, HiddenTheFilmsAreKeptAndShownTheyGoTogetherThenFitOnceTheListIsRead) {
    feeder.Add(1, Paris());
    feeder.Add(2, Paris());
    feeder.Highlight(2);
    feeder.Flush(kMapProviderOsm, true);
    EXPECT_TRUE(page.calls.empty());  // hidden: nothing reaches the page

    feeder.SetShown(true);
    feeder.Flush(kMapProviderOsm, false);
    ASSERT_EQ(page.names(), (std::vector<std::string>{"trip_highlight", "trip_add"}));
    EXPECT_EQ(page.calls[0].args, std::vector<std::string>{"2"});
    EXPECT_EQ(page.calls[1].args[0], feeder.FilmsJson({1, 2}, kMapProviderOsm));

    // Films that join meanwhile go in one call; the fit waits for the end of the list.
    page.calls.clear();
    for (int id = 3; id <= 5; ++id) feeder.Add(id, Paris());
    feeder.Add(3, Paris());  // read again: sent once
    feeder.Flush(kMapProviderOsm, false);
    ASSERT_EQ(page.names(), std::vector<std::string>{"trip_add"});
    EXPECT_EQ(page.calls[0].args[0], feeder.FilmsJson({3, 4, 5}, kMapProviderOsm));
    page.calls.clear();
    feeder.Flush(kMapProviderOsm, true);
    EXPECT_EQ(page.names(), std::vector<std::string>{"trip_fit"});
    // Fitted once: later films only join.
    page.calls.clear();
    feeder.Add(6, Paris());
    feeder.Flush(kMapProviderOsm, true);
    EXPECT_EQ(page.names(), std::vector<std::string>{"trip_add"});

    // A long trip goes in calls of about kPointsPerCall points; the fit after the last.
    TripFeeder fresh(page);
    fresh.SetShown(true);
    page.calls.clear();
    const auto half = std::make_shared<const FilmRecords>(
        FilmRecords{true, std::vector<TrackPoint>(TripFeeder::kPointsPerCall / 2 + 1), {}});
    for (int id = 1; id <= 5; ++id) fresh.Add(id, half);
    while (fresh.HasPending()) fresh.Flush(kMapProviderOsm, true);
    ASSERT_EQ(page.names(),
              (std::vector<std::string>{"trip_add", "trip_add", "trip_add", "trip_fit"}));
    EXPECT_TRUE(page.calls[0].args[0] == fresh.FilmsJson({1, 2}, kMapProviderOsm));
    EXPECT_TRUE(page.calls[1].args[0] == fresh.FilmsJson({3, 4}, kMapProviderOsm));
    EXPECT_TRUE(page.calls[2].args[0] == fresh.FilmsJson({5}, kMapProviderOsm));
    page.calls.clear();

    // Switched off the page forgets the trip; films read meanwhile are still kept.
    page.calls.clear();
    feeder.SetShown(false);
    feeder.Add(7, Paris());
    feeder.Flush(kMapProviderOsm, true);
    EXPECT_EQ(page.names(), std::vector<std::string>{"trip_clear"});
    EXPECT_EQ(feeder.FilmCount(), 7u);
}

TEST_F(TripFeederTest, AReplacingPageGetsTheListedFilmsAgainHighlightedAndFittedButNotWhenHidden) {
    feeder.SetShown(true);
    for (int id = 1; id <= 3; ++id) feeder.Add(id, Paris());
    feeder.Highlight(2);
    feeder.Flush(kMapProviderOsm, true);
    feeder.Add(4, Paris());
    page.calls.clear();
    // A film that left the list leaves the map; one not sent yet, or never there, is forgotten.
    feeder.Remove(1);
    feeder.Remove(4);
    feeder.Remove(9);
    EXPECT_EQ(page.calls, (std::vector<PageCall>{{"trip_remove", {"1"}}, {"trip_remove", {"4"}}}));

    page.calls.clear();
    feeder.PageReplaced();
    feeder.Flush(kMapProviderOsm, true);
    EXPECT_EQ(page.calls, (std::vector<PageCall>{
                              {"trip_highlight", {"2"}},
                              {"trip_add", {feeder.FilmsJson({2, 3}, kMapProviderOsm)}},
                              {"trip_fit", {}},
                          }));
    feeder.SetShown(false);
    page.calls.clear();
    feeder.PageReplaced();
    feeder.Flush(kMapProviderOsm, true);
    EXPECT_TRUE(page.calls.empty());
}

}  // namespace
}  // namespace tesmira
