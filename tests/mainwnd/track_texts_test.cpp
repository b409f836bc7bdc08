#include "mainwnd/track_texts.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace tesmira {
namespace {

DerivedSample Fix(double longitude, double latitude) {
    DerivedSample s;
    s.fixValid = true;
    s.longitude = longitude;
    s.latitude = latitude;
    return s;
}

void ExpectTexts(const DerivedSample& s, int provider, const char* lon, const char* lat) {
    const MapTexts t = MapTextsForSample(s, provider);
    EXPECT_EQ(t.longitude, lon) << "provider " << provider;
    EXPECT_EQ(t.latitude, lat) << "provider " << provider;
}

TEST(TrackTexts, SampleWithoutFixSendsVWithoutShift) {
    DerivedSample s = Fix(114.061523, 22.542796);
    s.fixValid = false;
    ExpectTexts(s, kMapProviderGoogle, "V", "V");
    ExpectTexts(s, kMapProviderBaidu, "V", "V");
}

TEST(TrackTexts, ShenzhenPointMatchesBothProviders) {
    const DerivedSample s = Fix(114.061523, 22.542796);
    ExpectTexts(s, kMapProviderGoogle, "114.066641", "22.540085");
    ExpectTexts(s, kMapProviderBaidu, "114.073188", "22.545760");
}

TEST(TrackTexts, OpenStreetMapGetsTheWgs84DegreesUnshifted) {
    const struct {
        double longitude, latitude;
        const char *lon, *lat;
    } cases[] = {
        {114.061523, 22.542796, "114.061523", "22.542796"},  // in the shift area
        {121.5, 25.0, "121.500000", "25.000000"},            // in Google's exempt box
        {2.35, 48.85, "2.350000", "48.850000"},
        {-122.4194, -33.9, "-122.419400", "-33.900000"},
    };
    for (const auto& c : cases) {
        ExpectTexts(Fix(c.longitude, c.latitude), kMapProviderOsm, c.lon, c.lat);
        const GeoPoint p = ShiftForProvider({c.longitude, c.latitude}, kMapProviderOsm);
        EXPECT_EQ(p.longitude, c.longitude);
        EXPECT_EQ(p.latitude, c.latitude);
    }
    DerivedSample noFix = Fix(114.061523, 22.542796);
    noFix.fixValid = false;
    ExpectTexts(noFix, kMapProviderOsm, "V", "V");
}

TEST(TrackTexts, ExemptBoxAppliesToGoogleOnly) {
    const DerivedSample s = Fix(121.5, 25.0);
    ExpectTexts(s, kMapProviderGoogle, "121.500000", "25.000000");

    // Baidu shifts twice: the result is the BD-09 shift of the GCJ-02 point.
    const MapTexts baidu = MapTextsForSample(s, kMapProviderBaidu);
    const GeoPoint gcj = ShiftWgs84ToGcj02({121.5, 25.0}, kMapProviderBaidu);
    EXPECT_NE(gcj.longitude, 121.5);
    EXPECT_NE(gcj.latitude, 25.0);
    const GeoPoint bd = ShiftGcj02ToBd09(gcj, kMapProviderBaidu);
    EXPECT_EQ(baidu.longitude, FormatFixed6(bd.longitude));
    EXPECT_EQ(baidu.latitude, FormatFixed6(bd.latitude));
    // Both shifts together move a point by a few hundred metres, never more.
    EXPECT_GT(std::fabs(bd.longitude - 121.5), 0.005);
    EXPECT_LT(std::fabs(bd.longitude - 121.5), 0.03);
    EXPECT_GT(std::fabs(bd.latitude - 25.0), 0.001);
    EXPECT_LT(std::fabs(bd.latitude - 25.0), 0.03);
}

TEST(TrackTexts, PointOutsideShiftAreaIsSentAsIs) {
    const DerivedSample paris = Fix(2.35, 48.85);
    ExpectTexts(paris, kMapProviderGoogle, "2.350000", "48.850000");
    ExpectTexts(paris, kMapProviderBaidu, "2.350000", "48.850000");
    // Western and southern points keep their sign.
    ExpectTexts(Fix(-122.4194, -33.9), kMapProviderBaidu, "-122.419400", "-33.900000");
}

TEST(TrackTexts, AreaLimitsAreStrict) {
    ExpectTexts(Fix(110.0, 17.9), kMapProviderGoogle, "110.000000", "17.900000");
    ExpectTexts(Fix(110.0, 17.9), kMapProviderBaidu, "110.000000", "17.900000");

    // Exactly on each limit the point is shifted.
    const GeoPoint onLimits[] = {{110.0, 18.0}, {72.004, 30.0}, {137.8347, 40.0}, {110.0, 55.8271}};
    for (const GeoPoint p : onLimits) {
        for (const int provider : {kMapProviderGoogle, kMapProviderBaidu}) {
            EXPECT_FALSE(IsShiftExempt(p, provider)) << p.longitude << "," << p.latitude;
            const MapTexts t = MapTextsForSample(Fix(p.longitude, p.latitude), provider);
            EXPECT_NE(t.longitude, FormatFixed6(p.longitude)) << p.longitude << "," << p.latitude;
            EXPECT_NE(t.latitude, FormatFixed6(p.latitude)) << p.longitude << "," << p.latitude;
        }
    }
    // Just beyond them it is not.
    const GeoPoint beyond[] = {{72.0039, 30.0}, {137.8348, 40.0}, {110.0, 55.8272}};
    for (const GeoPoint p : beyond) EXPECT_TRUE(IsShiftExempt(p, kMapProviderGoogle));

    // The Google box is strict on all four sides too.
    EXPECT_TRUE(IsShiftExempt({119.31, 21.76}, kMapProviderGoogle));
    EXPECT_FALSE(IsShiftExempt({119.3, 25.0}, kMapProviderGoogle));
    EXPECT_FALSE(IsShiftExempt({124.5749, 25.0}, kMapProviderGoogle));
    EXPECT_FALSE(IsShiftExempt({121.0, 21.7569}, kMapProviderGoogle));
    EXPECT_FALSE(IsShiftExempt({121.0, 25.9416}, kMapProviderGoogle));
    EXPECT_FALSE(IsShiftExempt({121.5, 25.0}, kMapProviderBaidu));
}

TEST(TrackTexts, BaiduSecondStepTestsTheShiftedPoint) {
    // On the southern limit the first shift moves the point south of it, so the
    // second step leaves it alone; a little further north both steps apply.
    const GeoPoint onLimit = ShiftWgs84ToGcj02({110.0, 18.0}, kMapProviderBaidu);
    EXPECT_LT(onLimit.latitude, 18.0);
    const GeoPoint onLimitBd = ShiftGcj02ToBd09(onLimit, kMapProviderBaidu);
    EXPECT_EQ(onLimitBd.longitude, onLimit.longitude);
    EXPECT_EQ(onLimitBd.latitude, onLimit.latitude);
    ExpectTexts(Fix(110.0, 18.0), kMapProviderBaidu, FormatFixed6(onLimit.longitude).c_str(),
                FormatFixed6(onLimit.latitude).c_str());

    const GeoPoint inside = ShiftWgs84ToGcj02({110.0, 18.003}, kMapProviderBaidu);
    EXPECT_GT(inside.latitude, 18.0);
    const GeoPoint insideBd = ShiftGcj02ToBd09(inside, kMapProviderBaidu);
    EXPECT_GT(insideBd.longitude - inside.longitude, 0.005);
    EXPECT_GT(insideBd.latitude - inside.latitude, 0.005);

    // A GCJ-02 point outside the area is never moved by the second step.
    const GeoPoint outside = ShiftGcj02ToBd09({2.35, 48.85}, kMapProviderBaidu);
    EXPECT_EQ(outside.longitude, 2.35);
    EXPECT_EQ(outside.latitude, 48.85);
}

TEST(TrackTexts, FixedTextsFollowPrintfRounding) {
    EXPECT_EQ(FormatFixed6(0.0), "0.000000");
    EXPECT_EQ(FormatFixed6(-0.5), "-0.500000");
    EXPECT_EQ(FormatFixed6(0.0000005), "0.000000");  // binary value just below the half
    EXPECT_EQ(FormatFixed6(2.5e-7 * 3), "0.000001");
    EXPECT_EQ(FormatFixed6(1e20), "100000000000000000000.000000");
    EXPECT_EQ(FormatFixed6(-1e308).size(), 1 + 309 + 7u);
    // The same texts as the C library's "%f" in the C locale.
    for (const double v : {114.0666415, 22.5400855, -0.0000004, 123456.7890125, 1.0 / 3.0}) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%f", v);
        EXPECT_EQ(FormatFixed6(v), buf) << v;
    }
}

TEST(TrackTexts, FixedTextsEqualToCharsAtEveryMagnitude) {
    const auto reference = [](double v) {
        char buf[400];
        const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
        return std::string(buf, res.ptr);
    };
    // Exact ties (to even either way), the ends of the integer path, signs.
    const double edges[] = {0.0078125,
                            0.0234375,
                            1.0000005,
                            0x1p-22,
                            std::nextafter(0x1p-22, 0.0),
                            0x1p32,
                            std::nextafter(0x1p32, 0.0),
                            4294967295.9999995,
                            -0.0,
                            -1e-300,
                            5e-7,
                            std::nextafter(5e-7, 1.0),
                            179.9999995,
                            -89.9999995,
                            std::numeric_limits<double>::infinity(),
                            std::nan("")};
    for (const double v : edges) EXPECT_EQ(FormatFixed6(v), reference(v)) << v;
    // Random bit patterns over the magnitudes around the integer path, with
    // their neighbours and the nearest values to ties.
    std::mt19937_64 rng(11);
    for (int i = 0; i < 200000; ++i) {
        const int exponent = static_cast<int>(rng() % 70) - 35;
        double v = std::ldexp(1.0 + static_cast<double>(rng() >> 12) * 0x1p-52, exponent);
        if (i % 3 == 0) v = std::nextafter(std::round(v * 2e6) / 2e6, v);
        if (i % 2 == 0) v = -v;
        ASSERT_EQ(FormatFixed6(v), reference(v)) << std::hexfloat << v;
    }
}

TEST(TrackTexts, GoogleAndBaiduAtOnceEqualEachProvider) {
    // Across China, the Google exempt box and its edges, and outside the area.
    for (double lon = 70.0; lon <= 140.0; lon += 0.37) {
        for (double lat = 15.0; lat <= 58.0; lat += 0.29) {
            for (const DerivedSample& s : {Fix(lon, lat), Fix(-lon, lat), Fix(121.0, 24.0)}) {
                const GoogleBaiduTexts both = MapTextsForGoogleAndBaidu(s);
                const MapTexts google = MapTextsForSample(s, kMapProviderGoogle);
                const MapTexts baidu = MapTextsForSample(s, kMapProviderBaidu);
                ASSERT_EQ(both.google.longitude, google.longitude) << lon << "," << lat;
                ASSERT_EQ(both.google.latitude, google.latitude) << lon << "," << lat;
                ASSERT_EQ(both.baidu.longitude, baidu.longitude) << lon << "," << lat;
                ASSERT_EQ(both.baidu.latitude, baidu.latitude) << lon << "," << lat;
            }
        }
    }
    DerivedSample noFix = Fix(114.0, 22.5);
    noFix.fixValid = false;
    for (const DerivedSample& s : {noFix, Fix(std::nan(""), 22.5), Fix(1e300, 22.5)}) {
        const GoogleBaiduTexts both = MapTextsForGoogleAndBaidu(s);
        EXPECT_EQ(both.google.longitude, MapTextsForSample(s, kMapProviderGoogle).longitude);
        EXPECT_EQ(both.baidu.latitude, MapTextsForSample(s, kMapProviderBaidu).latitude);
    }
}

TEST(TrackTexts, NonFinitePositionIsTreatedAsNoFix) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    ExpectTexts(Fix(nan, 22.5), kMapProviderGoogle, "V", "V");
    ExpectTexts(Fix(114.0, inf), kMapProviderBaidu, "V", "V");
    // A huge but finite value lies outside the area and is written in full.
    const MapTexts t = MapTextsForSample(Fix(1e300, 22.5), kMapProviderGoogle);
    EXPECT_EQ(t.longitude.size(), 301 + 7u);
    EXPECT_EQ(t.latitude, "22.500000");
}

}  // namespace
}  // namespace tesmira
