#include "extract/film_samples.h"

#include <gtest/gtest.h>

#include <new>

#include "extract/box_builder.h"
#include "extract/gpmf_builder.h"

namespace tesmira {
namespace {

using namespace test;

std::vector<VIDEO_GPS_RECORD_T> Records(int n, int passing, char firstStatus = 'A') {
    std::vector<VIDEO_GPS_RECORD_T> out;
    for (int i = 0; i < n; ++i) {
        RecordFields f;
        f.goodMarker = i < passing;
        f.speed = 10;
        if (i == 0) f.status = firstStatus;
        out.push_back(DecodeGpsRecord(EncodeRecord(f).data()));
    }
    return out;
}

struct Calls {
    int type50 = 0, type60 = 0;
    std::vector<std::string> messages;
};

FilmLocators Fake(Calls& calls, std::function<std::vector<VIDEO_GPS_RECORD_T>()> r50,
                  std::function<std::vector<VIDEO_GPS_RECORD_T>()> r60) {
    FilmLocators l;
    l.type50 = [&calls, r50](const std::filesystem::path&, std::vector<VIDEO_GPS_RECORD_T>& out) {
        ++calls.type50;
        out = r50();
        return !out.empty();
    };
    l.type60 = [&calls, r60](const std::filesystem::path&, std::vector<VIDEO_GPS_RECORD_T>& out) {
        ++calls.type60;
        out = r60();
        return !out.empty();
    };
    return l;
}

FilmSamples Load(Calls& calls, const FilmLocators& l) {
    return LoadFilmSamples(
        "film.mp4", [&](const std::string& m) { calls.messages.push_back(m); }, l);
}

TEST(FilmSamples, Type50AcceptanceByFirstStatusAndIntegrityCount) {
    // Upper-case 'A' or 'V' first: type 50; 3 passing records give samples.
    for (char first : {'A', 'V'}) {
        Calls c;
        const auto s =
            Load(c, Fake(
                        c, [first] { return Records(5, 4, first); }, [] { return Records(2, 2); }));
        EXPECT_EQ(s.type, FileType::Type50);
        EXPECT_EQ(c.type60, 0);
        EXPECT_EQ(s.integrityPassed, first == 'A' ? 4 : 3);
        EXPECT_TRUE(s.hasSamples);
        EXPECT_EQ(s.samples.size(), 5u);
        EXPECT_EQ(s.samples[1].speedKmh, 10.0);  // km/h as stored
    }
    // Only 2 passing: type 50 without samples, still derived, type 60 not tried.
    Calls c;
    auto s = Load(c, Fake(
                         c, [] { return Records(4, 2); }, [] { return Records(2, 2); }));
    EXPECT_EQ(s.type, FileType::Type50);
    EXPECT_EQ(s.integrityPassed, 2);
    EXPECT_FALSE(s.hasSamples);
    EXPECT_EQ(s.samples.size(), 4u);
    EXPECT_EQ(c.type60, 0);

    // Lower-case 'a' first: type 60 is tried and wins, with knots.
    Calls d;
    s = Load(d, Fake(
                    d, [] { return Records(5, 5, 'a'); }, [] { return Records(2, 0); }));
    EXPECT_EQ(s.type, FileType::Type60);
    EXPECT_TRUE(s.hasSamples);
    EXPECT_FALSE(s.integrityPassed.has_value());
    ASSERT_EQ(s.samples.size(), 2u);
    EXPECT_DOUBLE_EQ(s.samples[0].speedKmh, 18.52);
    EXPECT_TRUE(d.messages.empty());
    // The raw records kept beside the samples are the chosen locator's, not the rejected ones.
    ASSERT_EQ(s.records.size(), 2u);
    EXPECT_EQ(s.records[0].status, 'A');

    // Neither gives records.
    Calls e;
    s = Load(e, Fake(
                    e, [] { return Records(0, 0); }, [] { return Records(0, 0); }));
    EXPECT_EQ(s.type, FileType::None);
    EXPECT_FALSE(s.hasSamples);
    EXPECT_TRUE(s.samples.empty());
    EXPECT_TRUE(s.records.empty());
    EXPECT_EQ(e.type60, 1);
}

TEST(FilmSamples, ThrowingLocatorsShowTheirMessage) {
    Calls c;
    auto s = Load(c, Fake(
                         c, []() -> std::vector<VIDEO_GPS_RECORD_T> { throw std::bad_alloc(); },
                         [] { return Records(3, 0); }));
    EXPECT_EQ(c.messages, (std::vector<std::string>{"提取50定位信息失败！"}));
    EXPECT_EQ(s.type, FileType::Type60);
    EXPECT_EQ(s.samples.size(), 3u);

    Calls d;
    s = Load(d, Fake(
                    d, [] { return Records(3, 3, 'a'); },
                    []() -> std::vector<VIDEO_GPS_RECORD_T> { throw std::length_error("x"); }));
    EXPECT_EQ(d.messages, (std::vector<std::string>{"提取60定位信息失败！"}));
    EXPECT_EQ(s.type, FileType::None);
    EXPECT_FALSE(s.hasSamples);
    EXPECT_TRUE(s.samples.empty());

    // No message sink at all is allowed.
    FilmLocators l = Fake(
        d, [] { return Records(0, 0); }, []() -> std::vector<VIDEO_GPS_RECORD_T> { throw 7; });
    EXPECT_EQ(LoadFilmSamples("x", {}, l).type, FileType::None);
}

// 65538 good records: the 16-bit count must not wrap round to 2.
TEST(FilmSamples, IntegrityCountSaturates) {
    Calls c;
    const auto s =
        Load(c, Fake(
                    c, [] { return Records(65538, 65538); }, [] { return Records(0, 0); }));
    EXPECT_EQ(s.integrityPassed, 65535);
    EXPECT_TRUE(s.hasSamples);
}

TEST(FilmSamples, RealFilesThroughBothLocators) {
    TempDir dir;
    std::vector<RecordFields> good(3), two(3);
    two[2].goodMarker = false;

    auto s = LoadFilmSamples(dir.write("a.mp4", Type50Film(good)), {});
    EXPECT_EQ(s.type, FileType::Type50);
    EXPECT_TRUE(s.hasSamples);
    EXPECT_EQ(s.samples.size(), 3u);
    EXPECT_EQ(s.samples[0].positionText, "N22.541667,E114.000000");

    // A "gps" box listing the same records, for the type-60 fallback.
    const uint32_t firstRecord = Ftyp().size() + 8 + 65584;
    const Bytes gps = GpsBox("gps ", {firstRecord - 48, firstRecord + 120 - 48});

    // Only 2 records pass: type 50 without samples; type 60 is not tried.
    s = LoadFilmSamples(dir.write("b.mp4", Type50Film(two, false, gps)), {});
    EXPECT_EQ(s.type, FileType::Type50);
    EXPECT_FALSE(s.hasSamples);
    EXPECT_EQ(s.samples.size(), 3u);

    // First status 'a': not type 50; the "gps" box gives type 60.
    std::vector<RecordFields> lower(3);
    lower[0].status = 'a';
    s = LoadFilmSamples(dir.write("l.mp4", Type50Film(lower, false, gps)), {});
    EXPECT_EQ(s.type, FileType::Type60);
    EXPECT_EQ(s.samples.size(), 2u);
    EXPECT_TRUE(s.hasSamples);

    // Sound track with an empty table and a "gps" box: type 60.
    s = LoadFilmSamples(dir.write("c.mp4", Type60Film(good)), {});
    EXPECT_EQ(s.type, FileType::Type60);
    EXPECT_TRUE(s.hasSamples);

    // Missing file: nothing, no message.
    std::vector<std::string> messages;
    s = LoadFilmSamples(dir.path() / "none.mp4",
                        [&](const std::string& m) { messages.push_back(m); });
    EXPECT_EQ(s.type, FileType::None);
    EXPECT_TRUE(messages.empty());
}

// The sound of a GoPro film may hold 'V' where a type-50 record's status
// would be: the type-50 records that do not pass make way for the telemetry.
TEST(FilmSamples, TelemetryWhenType50RecordsAreUnusable) {
    TempDir dir;
    RecordFields noise;
    noise.status = 'V';
    const std::vector<Bytes> payloads = {Join(Gps5(3), Accel("")), Gps5(3), Accel("")};
    auto s = LoadFilmSamples(dir.write("gopro.mp4", GpmfFilm(payloads, EncodeRecord(noise))), {});
    EXPECT_EQ(s.source, RecordSource::Gpmf);
    EXPECT_EQ(s.type, FileType::None);
    EXPECT_FALSE(s.integrityPassed.has_value());
    EXPECT_TRUE(s.hasSamples);
    ASSERT_EQ(s.samples.size(), 3u);
    EXPECT_TRUE(s.samples[0].fixValid);
    EXPECT_FALSE(s.samples[2].fixValid);

    // Without another source the type-50 result stands as before.
    s = LoadFilmSamples(dir.write("plain.mp4", GpmfFilm({}, EncodeRecord(noise))), {});
    EXPECT_EQ(s.source, RecordSource::Type50);
    EXPECT_EQ(s.integrityPassed, 0);
    EXPECT_FALSE(s.hasSamples);
    EXPECT_EQ(s.samples.size(), 1u);
}

}  // namespace
}  // namespace tesmira
