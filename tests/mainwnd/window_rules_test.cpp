#include "mainwnd/window_rules.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/film_endings.h"
#include "mainwnd/main_geometry.h"

namespace tesmira {
namespace {

TEST(MainGeometryTest, ScreensGiveTheDesignedPaneSizes) {
    const MainGeometry full = ComputeMainGeometry(1920, 1080);
    EXPECT_EQ(full.left, 384);
    EXPECT_EQ(full.top, 108);
    EXPECT_EQ(full.width, 1152);
    EXPECT_EQ(full.height, 864);
    EXPECT_EQ(full.instrumentHeight, 165);
    EXPECT_EQ(full.filmViewWidth, 864);
    EXPECT_EQ(full.mapHeight, 466);
    EXPECT_EQ(full.listHeight, 233);
    EXPECT_EQ(full.upperIdealHeight, 699);

    // Created 615 high, then shown 614 high (8/10 of the height, not 9/10 less 1/10).
    const MainGeometry laptop = ComputeMainGeometry(1366, 768);
    EXPECT_EQ(laptop.left, 273);
    EXPECT_EQ(laptop.top, 76);
    EXPECT_EQ(laptop.width, 819);
    EXPECT_EQ(laptop.height, 615);
    EXPECT_EQ(laptop.shownWidth, 819);
    EXPECT_EQ(laptop.shownHeight, 614);
}

TEST(WindowRulesTest, OnlyTheSixEndingsAreFilms) {
    const struct {
        const char* path;
        bool accepted;
    } cases[] = {
        {"/v/a.MP4", true},          {"/v/a.mp4", true}, {"/v/a.MOV", true},  {"/v/a.mov", true},
        {"/v/a.avi", true},          {"/v/a.AVI", true}, {"/v/a.Mp4", false}, {"/v/a.Mov", false},
        {"/v/a.mkv", false},         {"mp4", true},      {"p4", false},       {"", false},
        {"/v/a.mp4 /v/b.mp4", true},  // a joined tail is judged by its last three characters
    };
    for (const auto& c : cases) EXPECT_EQ(HasAcceptedEnding(c.path), c.accepted) << c.path;
}

TEST(WindowRulesTest, QuotesNamesAndTitles) {
    EXPECT_EQ(TrimQuotes("\"\"/v/x.MP4\""), "/v/x.MP4");
    EXPECT_EQ(TrimQuotes("/v/a\"b.mp4"), "/v/a\"b.mp4");  // inner quotes stay
    EXPECT_EQ(TrimQuotes("\"\"\""), "");

    EXPECT_EQ(TitleTail("Tesmira | /v/a.mp4"), "/v/a.mp4");
    EXPECT_EQ(TitleTail("Tesmira"), "Tesmira");
    EXPECT_EQ(TitleTail("T |"), "");
    EXPECT_EQ(TitleTail("T |\xC3\xA9/v/a.mp4"), "/v/a.mp4");  // two characters, not two bytes
    EXPECT_EQ(TitleTail("A | b | c"), "b | c");
}

TEST(WindowRulesTest, PositionTextsReadLikeDecimalIntegers) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"37", 37},
        {"", 0},
        {"  -5", -5},
        {"+12x", 12},
        {"x12", 0},
        {"0", 0},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(ParsePositionText(c.text), c.value) << c.text;
}

TEST(WindowRulesTest, OldestFilmFirstToTheSecond) {
    const auto at = [](int hour, int minute, int second) {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 11;
        t.tm_mday = 8;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_sec = second;
        return t;
    };
    std::tm nextYear = at(1, 0, 0);
    nextYear.tm_year = 127;
    const std::vector<std::size_t> order =
        OldestFirst({at(10, 0, 0), at(9, 0, 0), nextYear, at(11, 0, 0), at(9, 0, 0)});
    EXPECT_EQ(order, (std::vector<std::size_t>{1, 4, 0, 3, 2}));
}

}  // namespace
}  // namespace tesmira
