#include "extract/gps_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "extract/box_builder.h"

namespace tesmira {
namespace {

using test::EncodeRecord;
using test::RecordFields;

VIDEO_GPS_RECORD_T Decode(const RecordFields& f) {
    return DecodeGpsRecord(EncodeRecord(f).data());
}

TEST(GpsRecord, DecodesEveryFieldLittleEndianAndIgnoresPadding) {
    test::Bytes raw(120, 0xEE);
    const uint8_t hour[] = {0x01, 0x02, 0x03, 0x04};
    std::memcpy(raw.data(), hour, 4);
    raw[12] = 'A';
    EXPECT_EQ(DecodeGpsRecord(raw.data()).hour, 0x04030201);

    RecordFields f;
    f.hour = -3, f.minute = 59, f.second = 7, f.status = 'V';
    f.latitude = 4807.038, f.latHemisphere = 'S', f.longitude = 1131.0, f.lonHemisphere = 'W';
    f.speed = 22.4, f.course = 84.4, f.day = 23, f.month = 3, f.year = 1994;
    f.gx = 0xA1B2C3D4, f.gy = 600, f.gz = 0xFFFFFFFF;
    const auto r = Decode(f);
    EXPECT_EQ(r.hour, -3);
    EXPECT_EQ(r.minute, 59);
    EXPECT_EQ(r.second, 7);
    EXPECT_EQ(r.status, 'V');
    EXPECT_EQ(r.latitude, 4807.038);
    EXPECT_EQ(r.latHemisphere, 'S');
    EXPECT_EQ(r.longitude, 1131.0);
    EXPECT_EQ(r.lonHemisphere, 'W');
    EXPECT_EQ(r.speed, 22.4);
    EXPECT_EQ(r.course, 84.4);
    EXPECT_EQ(r.day, 23);
    EXPECT_EQ(r.month, 3);
    EXPECT_EQ(r.year, 1994);
    EXPECT_EQ(r.gsensorX, 0xA1B2C3D4u);
    EXPECT_EQ(r.gsensorY, 600u);
    EXPECT_EQ(r.gsensorZ, 0xFFFFFFFFu);
    EXPECT_EQ(r.marker0, 75);
    EXPECT_EQ(r.marker1, 86);
    EXPECT_EQ(r.marker2, 82);
    EXPECT_EQ(r.timeSum, -3 + 59 + 7);
    EXPECT_EQ(r.dateSum, 23 + 3 + 1994);
}

TEST(GpsRecord, FixValidOnlyForUpperOrLowerA) {
    for (char c : {'A', 'a'}) {
        RecordFields f;
        f.status = c;
        EXPECT_TRUE(HasValidFix(Decode(f))) << c;
    }
    for (char c : {'V', '\0', 'B', 'v', ' '}) {
        RecordFields f;
        f.status = c;
        EXPECT_FALSE(HasValidFix(Decode(f))) << int(c);
    }
}

TEST(GpsRecord, DecimalDegreesAndPositionText) {
    RecordFields f;  // 2232.5 N, 11400.0 E
    auto s = DeriveSample(Decode(f), FileType::Type50);
    EXPECT_TRUE(s.fixValid);
    EXPECT_NEAR(s.latitude, 22.541666666, 1e-8);
    EXPECT_EQ(s.longitude, 114.0);
    EXPECT_EQ(s.positionText, "N22.541667,E114.000000");
    EXPECT_STREQ(s.sync.positionText, "N22.541667,E114.000000");

    f.latHemisphere = 'S';
    f.lonHemisphere = 'w';
    s = DeriveSample(Decode(f), FileType::Type50);
    EXPECT_NEAR(s.latitude, -22.541666666, 1e-8);
    EXPECT_EQ(s.longitude, -114.0);
    EXPECT_EQ(s.positionText, "S22.541667,W114.000000");

    f.latHemisphere = 's';
    f.lonHemisphere = 'X';  // anything else counts as east
    s = DeriveSample(Decode(f), FileType::Type50);
    EXPECT_LT(s.latitude, 0);
    EXPECT_EQ(s.longitude, 114.0);
    EXPECT_EQ(s.positionText.substr(0, 11), "S22.541667,");
    EXPECT_EQ(s.positionText.substr(11), "E114.000000");
}

TEST(GpsRecord, SpeedAndCourseByFileType) {
    RecordFields f;
    f.speed = 10.0;
    f.course = 271.5;
    auto s = DeriveSample(Decode(f), FileType::Type60);  // knots
    EXPECT_DOUBLE_EQ(s.speedKmh, 18.52);
    EXPECT_EQ(s.speedWholeKmh, 18);
    EXPECT_EQ(s.sync.speedKmh, 18.0);
    EXPECT_DOUBLE_EQ(s.sync.speedKmhExact, 18.52);  // what other units are converted from
    EXPECT_EQ(s.course, 271.5);

    f.speed = 18.9;
    s = DeriveSample(Decode(f), FileType::Type50);  // km/h
    EXPECT_EQ(s.speedKmh, 18.9);
    EXPECT_EQ(s.speedWholeKmh, 18);
    EXPECT_EQ(s.sync.speedKmh, 18.0);
    EXPECT_DOUBLE_EQ(KmhToMph(100.0), 62.13712);
}

TEST(GpsRecord, NoFixGivesSubstitutesButKeepsGsensor) {
    RecordFields f;
    f.status = 'V';
    f.speed = 80;
    f.course = 12;
    f.gx = 0xFF;
    auto s = DeriveSample(Decode(f), FileType::Type50);
    EXPECT_FALSE(s.fixValid);
    EXPECT_EQ(s.speedKmh, 0.0);
    EXPECT_EQ(s.speedWholeKmh, 0);
    EXPECT_EQ(s.sync.speedKmh, 0.0);
    EXPECT_EQ(s.course, 180.0);
    EXPECT_EQ(s.latitude, 0.0);
    EXPECT_EQ(s.longitude, 0.0);
    EXPECT_EQ(s.positionText, "00.00000,000.00000");
    EXPECT_STREQ(s.sync.positionText, "00.00000,000.00000");
    EXPECT_EQ(s.gsensor, (std::array<int32_t, 3>{-10000, 20000, 30000}));

    const test::Bytes zeros(120, 0);  // an empty record is a record without fix
    s = DeriveSample(DecodeGpsRecord(zeros.data()), FileType::Type60);
    EXPECT_FALSE(s.fixValid);
    EXPECT_EQ(s.positionText, "00.00000,000.00000");
    EXPECT_EQ(s.gsensor, (std::array<int32_t, 3>{0, 0, 0}));
}

TEST(GpsRecord, GsensorChartValuesByFileType) {
    RecordFields f;
    f.gx = 0xABCDEFFF;  // lowest byte -1 whatever the rest holds
    f.gy = 0x0000007F;
    f.gz = 0x12345680;
    auto s = DeriveSample(Decode(f), FileType::Type50);
    EXPECT_EQ(s.gsensor, (std::array<int32_t, 3>{-10000, 1270000, -1280000}));

    f.gx = 600, f.gy = 512, f.gz = 0;
    s = DeriveSample(Decode(f), FileType::Type60);
    EXPECT_EQ(s.gsensor, (std::array<int32_t, 3>{5120000, 5120000, 0}));
    f.gx = 0xFFFFFFFF, f.gy = 256, f.gz = 511;
    s = DeriveSample(Decode(f), FileType::Type60);
    EXPECT_EQ(s.gsensor, (std::array<int32_t, 3>{5120000, 2560000, 5110000}));
}

TEST(GpsRecord, IntegrityCheck) {
    RecordFields f;
    auto r = Decode(f);
    EXPECT_TRUE(PassesIntegrityCheck(r));
    r.status = 'a';
    EXPECT_TRUE(PassesIntegrityCheck(r));
    r.status = 'V';
    EXPECT_FALSE(PassesIntegrityCheck(r));  // markers and sums right, no fix

    r = Decode(f);
    r.timeSum += 1;
    EXPECT_FALSE(PassesIntegrityCheck(r));
    r = Decode(f);
    r.dateSum -= 1;
    EXPECT_FALSE(PassesIntegrityCheck(r));
    for (int32_t* m : {&r.marker0, &r.marker1, &r.marker2}) {
        r = Decode(f);
        const auto good = r;
        *m = 0;  // pointer refers to r, reloaded each round
        EXPECT_FALSE(PassesIntegrityCheck(r));
        EXPECT_TRUE(PassesIntegrityCheck(good));
    }

    // The sums are 32-bit and wrap instead of overflowing.
    r = Decode(f);
    r.hour = std::numeric_limits<int32_t>::max();
    r.minute = 1;
    r.second = 0;
    r.timeSum = std::numeric_limits<int32_t>::min();
    EXPECT_TRUE(PassesIntegrityCheck(r));
}

TEST(GpsRecord, DamagedNumbersGiveDefinedBoundedResults) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double v : {-2232.5, -1e300, 1e300, 1e12, inf, -inf, nan, 4294967295.0 * 100}) {
        RecordFields f;
        f.latitude = v;
        f.longitude = v;
        f.speed = v;
        const auto s = DeriveSample(Decode(f), FileType::Type60);
        EXPECT_LE(s.positionText.size(), 24u) << v;
        EXPECT_EQ(std::strlen(s.sync.positionText), s.positionText.size());
        EXPECT_EQ(s.positionText[0], 'N');
        EXPECT_EQ(s.sync.speedKmh, s.speedWholeKmh);
    }

    // A negative value has no whole degrees: its minutes part is all there is.
    RecordFields f;
    f.latitude = -2232.5;
    auto s = DeriveSample(Decode(f), FileType::Type50);
    EXPECT_NEAR(s.latitude, -22.325 / 60 * 100, 1e-9);
    EXPECT_EQ(s.positionText.substr(0, 11), "N-37.208333");

    // Whole degrees beyond 32 bits stop at the largest unsigned value.
    f.latitude = 1e12;
    s = DeriveSample(Decode(f), FileType::Type50);
    EXPECT_DOUBLE_EQ(s.latitude, 4294967295.0 + (1e10 - 4294967295.0) / 60 * 100);
    EXPECT_EQ(s.positionText.size(), 24u);

    f.latitude = nan;
    f.speed = nan;
    s = DeriveSample(Decode(f), FileType::Type50);
    EXPECT_TRUE(std::isnan(s.latitude));
    EXPECT_EQ(s.speedWholeKmh, 0);
    f.speed = 1e20;
    EXPECT_EQ(DeriveSample(Decode(f), FileType::Type50).speedWholeKmh,
              std::numeric_limits<int32_t>::max());
    f.speed = -1e20;
    EXPECT_EQ(DeriveSample(Decode(f), FileType::Type50).speedWholeKmh,
              std::numeric_limits<int32_t>::min());
}

}  // namespace
}  // namespace tesmira
