#include "playback/film_view_texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace tesmira {
namespace {

TEST(FilmViewTexts, ClockTextHasUnlimitedHours) {
    EXPECT_EQ(ClockText(0), "00:00:00");
    EXPECT_EQ(ClockText(3725), "01:02:05");
    EXPECT_EQ(ClockText(7200), "02:00:00");
    EXPECT_EQ(ClockText(3599), "00:59:59");
    EXPECT_EQ(ClockText(360000), "100:00:00");
}

TEST(FilmViewTexts, WholeSecondsTruncateAndNeverOverflow) {
    EXPECT_EQ(WholeSeconds(3725.9), 3725);
    EXPECT_EQ(WholeSeconds(59.999), 59);
    EXPECT_EQ(WholeSeconds(-0.5), 0);
    EXPECT_EQ(WholeSeconds(std::nan("")), 0);
    EXPECT_EQ(WholeSeconds(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(WholeSeconds(-1e300), std::numeric_limits<int>::min());
}

TEST(FilmViewTexts, ProgressValueIsThousandthsOfTheDuration) {
    EXPECT_EQ(ProgressValue(3725.9, 7200), 517);
    EXPECT_EQ(ProgressValue(1.5, 3), 500);
    EXPECT_EQ(ProgressValue(0.0, 3), 0);
    // A duration that reads as 0 keeps the slider at the start.
    EXPECT_EQ(ProgressValue(12.0, 0), 0);
    EXPECT_EQ(ProgressValue(12.0, -4), 0);
    // Never outside the slider's range.
    EXPECT_EQ(ProgressValue(9.0, 3), 1000);
    EXPECT_EQ(ProgressValue(-1.0, 3), 0);
    EXPECT_EQ(ProgressValue(std::nan(""), 3), 0);

    EXPECT_DOUBLE_EQ(ProgressPosition(500, 7), 3.5);
    EXPECT_DOUBLE_EQ(ProgressPosition(1000, 7200), 7200.0);
    EXPECT_DOUBLE_EQ(ProgressPosition(333, 0), 0.0);
    // The product is formed in 64 bits.
    EXPECT_DOUBLE_EQ(ProgressPosition(999, 4000000), 3996000.0);
}

TEST(FilmViewTexts, WindowTitleKeepsOneFilmPart) {
    const std::u16string first = FilmWindowTitle(u"Tesmira", u"C:\\a.mp4");
    EXPECT_EQ(first, u"Tesmira | C:\\a.mp4");
    EXPECT_EQ(FilmWindowTitle(first, u"C:\\b.mp4"), u"Tesmira | C:\\b.mp4");
    EXPECT_EQ(FilmWindowTitle(u"", u"/x.MOV"), u" | /x.MOV");
    EXPECT_EQ(FilmWindowTitle(u"|odd", u"/x.MOV"), u" | /x.MOV");
    // A bar inside the film path does not eat into the title.
    EXPECT_EQ(FilmWindowTitle(u"Tesmira | /films/a|b.mp4", u"/c.mp4"), u"Tesmira | /c.mp4");
    // Only the first 255 characters of the title count.
    const std::u16string longTitle(300, u'T');
    EXPECT_EQ(FilmWindowTitle(longTitle, u"/c.mp4"), std::u16string(255, u'T') + u" | /c.mp4");
}

TEST(FilmViewTexts, SpeedTextFollowsTheUnitExactly) {
    // A display record as the derivation makes it: whole and exact km/h.
    const auto at = [](double kmh) {
        VIDEO_SYNC_OUTPUT_T record{};
        record.speedKmh = static_cast<int>(kmh);
        record.speedKmhExact = kmh;
        return record;
    };
    const struct {
        double kmh;
        const char* unit;
        std::optional<std::string> text;
    } cases[] = {
        {100.0, "KMH", "100KM"},   {100.0, "MPH", "62M"},
        {99.99, "KMH", "99KM"},    {1.0, "MPH", "0M"},
        {0.0, "KMH", "0KM"},       {53.76, "MPH", "33M"},
        {53.76, "KMH", "53KM"},    {100.0, "kmh", std::nullopt},
        {100.0, "", std::nullopt}, {100.0, "MPH ", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpeedLabelText(at(c.kmh), c.unit), c.text) << c.kmh << " " << c.unit;
}

TEST(FilmViewTexts, PositionTextEndsAtZeroOrAfterTwentyFiveBytes) {
    VIDEO_SYNC_OUTPUT_T record{};
    std::strcpy(record.positionText, "N22.542796,E114.061523");
    EXPECT_EQ(PositionLabelText(record), "N22.542796,E114.061523");
    std::memset(record.positionText, 'A', sizeof record.positionText);
    EXPECT_EQ(PositionLabelText(record), std::string(25, 'A'));
    record.positionText[3] = '\0';
    EXPECT_EQ(PositionLabelText(record), "AAA");
    EXPECT_EQ(PositionLabelText(VIDEO_SYNC_OUTPUT_T{}), "");
}

TEST(FilmViewTexts, ScreenshotNameFromLocalTime) {
    std::tm time{};
    time.tm_year = 2024 - 1900;
    time.tm_mon = 0;
    time.tm_mday = 31;
    time.tm_hour = 23;
    time.tm_min = 59;
    time.tm_sec = 59;
    EXPECT_EQ(ScreenshotFileName(time), "20240131235959.bmp");
    time.tm_mon = 8;
    time.tm_mday = 5;
    time.tm_hour = 7;
    time.tm_min = 3;
    time.tm_sec = 0;
    EXPECT_EQ(ScreenshotFileName(time), "20240905070300.bmp");
    // Later pictures of the same second get a number of their own.
    EXPECT_EQ(ScreenshotFileName(time, 1), "20240905070300.bmp");
    EXPECT_EQ(ScreenshotFileName(time, 2), "20240905070300-2.bmp");
    EXPECT_EQ(ScreenshotFileName(time, 13), "20240905070300-13.bmp");
}

}  // namespace
}  // namespace tesmira
