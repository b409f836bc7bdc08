// What the window keeps between runs, without a window: where it may stand again, the
// Recent list, and paths that survive the settings file whatever they hold.

#include "mainwnd/window_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/ini_profile.h"
#include "app/temp_dir.h"

namespace tesmira {
namespace {

TEST(WindowMemory, KeptTextsParseOnlyWhenWhole) {
    EXPECT_EQ(ParseKeptRect("10,-20,800,600"), (KeptRect{10, -20, 800, 600}));
    EXPECT_EQ(ParseKeptRect(FormatKeptRect({-1920, 0, 1, 2})), (KeptRect{-1920, 0, 1, 2}));
    for (const char* bad : {"", "10,20,800", "10,20,800,600,1", "10,20,0,600", "10,20,800,-1",
                            "a,b,c,d", "10, 20,800,600", "10,20,800,600x"})
        EXPECT_FALSE(ParseKeptRect(bad)) << bad;
    EXPECT_FALSE(ParseSizes("699,0,864,278,466,233", 6));                  // a pane folded away
    EXPECT_FALSE(ParseSizes("2000000000,2000000000,864,278,466,233", 6));  // no such pane
    EXPECT_FALSE(ParseVolume("1"));
}

TEST(WindowMemory, AKeptWindowStandsAgainOnlyWhileItsTitleBandMeetsAScreen) {
    const KeptRect primary{0, 0, 1920, 1080};
    const KeptRect right{1920, 0, 1280, 1024};
    const std::optional<KeptRect> gone;
    const struct {
        KeptRect window;
        std::vector<KeptRect> screens;
        std::optional<KeptRect> placed;
    } cases[] = {
        {{384, 108, 1152, 864}, {primary}, KeptRect{384, 108, 1152, 864}},
        {{2100, 100, 800, 600}, {primary, right}, KeptRect{2100, 100, 800, 600}},
        {{2100, 100, 800, 600}, {primary}, gone},  // its screen was unplugged
        {{1850, 100, 800, 600}, {primary}, gone},  // 70 pixels of it left: too little to hold
        {{1800, 100, 800, 600}, {primary}, KeptRect{1800, 100, 800, 600}},  // 120 pixels
        {{100, -590, 800, 600}, {primary}, gone},  // the title above the screen
        {{100, 1070, 800, 600}, {primary}, gone},  // 10 pixels of the top left
        {{-50, -5, 60, 10}, {primary}, gone},      // a small window partly off
        {{0, 0, 60, 10}, {primary}, KeptRect{0, 0, 60, 10}},
        {{1950, 10, 2500, 1400}, {primary, right}, KeptRect{1950, 10, 1280, 1024}},  // shrinks
        {{100, 100, 800, 600}, {}, gone},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceKeptRect(c.window, c.screens), c.placed)
            << FormatKeptRect(c.window) << " on " << c.screens.size() << " screens";
}

TEST(WindowMemory, RecentListIsNewestFirstWithoutRepeatsAndAtMostTen) {
    RecentList list;
    for (int i = 1; i <= 12; ++i) EXPECT_TRUE(list.Add("/films/" + std::to_string(i) + ".MP4"));
    ASSERT_EQ(list.paths().size(), RecentList::kMaxRecent);
    EXPECT_EQ(list.paths().front(), "/films/12.MP4");
    EXPECT_EQ(list.paths().back(), "/films/3.MP4");
    EXPECT_TRUE(list.Add("/films/5.MP4"));  // opened again: to the top, once
    EXPECT_EQ(list.paths().front(), "/films/5.MP4");
    EXPECT_EQ(std::count(list.paths().begin(), list.paths().end(), "/films/5.MP4"), 1);
    EXPECT_EQ(list.paths().size(), RecentList::kMaxRecent);
    EXPECT_TRUE(list.Remove("/films/12.MP4"));
    EXPECT_FALSE(list.Remove("/films/12.MP4"));
    EXPECT_FALSE(list.Add(""));
    EXPECT_FALSE(list.Add("/" + std::string(1000, 'a')));  // longer than a value may be

    // Through the values of the keys and back, gaps and damage passed over.
    std::vector<std::string> values = list.Values();
    ASSERT_EQ(values.size(), RecentList::kMaxRecent);
    EXPECT_EQ(values.back(), "");
    EXPECT_EQ(RecentList::FromValues(values).paths(), list.paths());
    values = {"/b", "", "/bad%2", "/a"};
    EXPECT_EQ(RecentList::FromValues(values).paths(), (std::vector<std::string>{"/b", "/a"}));
}

// Each path through a real settings file and back; the raw path would lose its blank,
// break the file at its line end or read back another path.
TEST(WindowMemory, AnyPathRoundTripsThroughTheSettingsFile) {
    testing::TempDir dir;
    const std::string file = dir.file("setting.ini");
    const std::vector<std::string> paths = {
        "/films/a=b.MP4",
        "/films/;not a comment.mov",
        "/films/two\nlines.MP4",
        "/films/cr\r.mov",
        "/films/100%25 real%.MP4",
        "/media/card ",
        " /starts with a blank",
        "/films/\xe4\xb8\xad\xe6\x96\x87 \xd0\xbf\xd1\x83\xd1\x82\xd1\x8c.MOV",
        "/films/[Setting]",
    };
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string key = "Recent" + std::to_string(i + 1);
        ASSERT_TRUE(WriteProfileString(file, "Setting", key, EncodeIniPath(paths[i])));
    }
    ASSERT_TRUE(WriteProfileString(file, "Setting", "Unit", "KMH"));
    ClearProfileCache();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string key = "Recent" + std::to_string(i + 1);
        EXPECT_EQ(DecodeIniPath(ReadProfileString(file, "Setting", key, "?")), paths[i]) << i;
    }
    // No path planted a key or a section of its own.
    EXPECT_EQ(ReadProfileString(file, "Setting", "Unit", "?"), "KMH");
    EXPECT_EQ(ReadProfileString(file, "Setting", "lines.MP4", "none"), "none");
    EXPECT_FALSE(DecodeIniPath("%G0"));
    EXPECT_FALSE(DecodeIniPath("end%2"));
}

}  // namespace
}  // namespace tesmira
