// GPMF payloads: nesting, GPS5/GPS9 with their divisors, the fix, the time,
// the mean acceleration, and damaged lengths.

#include "extract/gpmf_payload.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "extract/gpmf_builder.h"
#include "extract/gps_record.h"

namespace tesmira {
namespace {

using namespace test;

struct Case {
    const char* name;
    Bytes payload;
    bool hasGps, fix;
    double lat, lon, speed;
    const char* time;  // "YYYY-MM-DD hh:mm:ss" or ""
    bool hasAccel;
    double gx, gy, gz;
    const char* filmModel = "";  // the camera model the film names outside the payload
};

TEST(GpmfPayload, ReadsEachCase) {
    const double g1 = 981 / 100.0 / 9.80665;  // one stored g
    // Stored means (g1, g1 / 2, -g1); the camera's order maps them to x, y, z.
    std::array<double, 3> many{}, padded{};
    const Bytes manyAccel = ManyAccel(203, 6, &many);
    const Bytes paddedAccel = ManyAccel(19, 8, &padded);
    const auto g = [](double ms2) { return ms2 / 9.80665; };
    const Case cases[] = {
        {"GPS5 3D fix", Gps5(3), true, true, 22.5, 114.05, 10, "2026-12-08 08:30:00", false, 0, 0,
         0},
        {"GPS5 2D fix", Gps5(2), true, true, 22.5, 114.05, 10, "2026-12-08 08:30:00", false, 0, 0,
         0},
        {"GPS5 no lock", Gps5(0), true, false, 22.5, 114.05, 10, "2026-12-08 08:30:00", false, 0, 0,
         0},
        {"GPS9 fix", Gps9(3), true, true, -33.8, -58.4, 5, "2026-12-08 08:30:00", false, 0, 0, 0},
        {"GPS9 no fix", Gps9(0), true, false, -33.8, -58.4, 5, "2026-12-08 08:30:00", false, 0, 0,
         0},
        // Z, X, Y (HERO5) -> x 0.5 g, y -1 g, z 1 g; Y, -X, Z (HERO6 and later,
        // and any unnamed camera) -> x -0.5 g, y 1 g, z -1 g; -Y, X, Z (Fusion)
        // -> x 0.5 g, y -1 g, z -1 g.
        {"ACCL without a name", Accel(""), false, false, 0, 0, 0, "", true, -g1 / 2, g1, -g1},
        {"ACCL HERO5 Black", Accel("", "HERO5 Black"), false, false, 0, 0, 0, "", true, g1 / 2, -g1,
         g1},
        {"ACCL HERO5 Session", Accel("", "HERO5 Session"), false, false, 0, 0, 0, "", true, g1 / 2,
         -g1, g1},
        {"ACCL Fusion", Accel("", "Fusion"), false, false, 0, 0, 0, "", true, g1 / 2, -g1, -g1},
        {"ACCL HERO6 Black", Accel("", "HERO6 Black"), false, false, 0, 0, 0, "", true, -g1 / 2, g1,
         -g1},
        {"ACCL generic device name", Accel("", "Camera"), false, false, 0, 0, 0, "", true, -g1 / 2,
         g1, -g1},
        {"ACCL film names a HERO5", Accel("", "Camera"), false, false, 0, 0, 0, "", true, g1 / 2,
         -g1, g1, "HERO5 Black"},
        {"ACCL film model over DVNM", Accel("", "HERO5 Black"), false, false, 0, 0, 0, "", true,
         -g1 / 2, g1, -g1, "HERO7 Black"},
        {"ACCL with ORIN", Accel("YxZ"), false, false, 0, 0, 0, "", true, -g1 / 2, g1, -g1},
        {"ORIN over the device name", Accel("ZXY", "HERO6 Black"), false, false, 0, 0, 0, "", true,
         g1 / 2, -g1, g1},
        {"ORIN over the film model", Accel("zyx", "Camera"), false, false, 0, 0, 0, "", true, g1,
         -g1 / 2, -g1, "HERO5 Black"},
        {"ACCL 203 samples", manyAccel, false, false, 0, 0, 0, "", true, g(many[1]), g(many[2]),
         g(many[0])},
        {"ACCL padded samples", paddedAccel, false, false, 0, 0, 0, "", true, g(padded[1]),
         g(padded[2]), g(padded[0])},
        {"GPS and ACCL", Join(Gps5(3), Accel("", "HERO5 Black")), true, true, 22.5, 114.05, 10,
         "2026-12-08 08:30:00", true, g1 / 2, -g1, g1},
        {"cut inside GPS5", Join(Accel(""), Cut(Gps5(3), 100)), false, false, 0, 0, 0, "", true,
         -g1 / 2, g1, -g1},
        {"repeat past the end", Klv("GPS5", 'l', 20, 65535, L({1, 2, 3, 4, 5})), false, false, 0, 0,
         0, "", false, 0, 0, 0},
        {"empty", {}, false, false, 0, 0, 0, "", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GpmfPayload p = ReadGpmfPayload(c.payload.data(), c.payload.size(), c.filmModel);
        EXPECT_EQ(p.hasGps, c.hasGps);
        EXPECT_EQ(p.fix, c.fix);
        EXPECT_NEAR(p.latitude, c.lat, 1e-9);
        EXPECT_NEAR(p.longitude, c.lon, 1e-9);
        EXPECT_NEAR(p.speed2d, c.speed, 1e-9);
        EXPECT_EQ(p.time.has_value(), c.time[0] != '\0');
        if (p.time) {
            char text[32];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.time->year,
                          p.time->month, p.time->day, p.time->hour, p.time->minute, p.time->second);
            EXPECT_STREQ(text, c.time);
        }
        EXPECT_EQ(p.hasAccel, c.hasAccel);
        EXPECT_NEAR(p.accelG[0], c.gx, 1e-9);
        EXPECT_NEAR(p.accelG[1], c.gy, 1e-9);
        EXPECT_NEAR(p.accelG[2], c.gz, 1e-9);
    }
}

TEST(GpmfPayload, MutatedPayloadsStayInBounds) {
    // Read from an exactly sized heap copy, so a read past the end is caught
    // by the address sanitizer build.
    const Bytes base = Join(Gps9(3), Join(Gps5(3), Accel("ZXY")));
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        Bytes b = base;
        for (int k = 0; k < 4; ++k) b[rng() % b.size()] = static_cast<uint8_t>(rng());
        b.resize(rng() % (b.size() + 1));
        const auto copy = std::make_unique<uint8_t[]>(b.size() + 1);
        std::copy(b.begin(), b.end(), copy.get());
        const GpmfPayload p = ReadGpmfPayload(copy.get(), b.size());
        if (p.fix) {
            ASSERT_LE(std::fabs(p.latitude), 90.0);
            ASSERT_LE(std::fabs(p.longitude), 180.0);
        }
        for (const double g : p.accelG) ASSERT_TRUE(std::isfinite(g));
    }
}

TEST(GpmfPayload, ChartScaleOfG) {
    const std::pair<double, int32_t> cases[] = {
        {0.0, 2560000}, {1.0, 3840000}, {-1.0, 1280000}, {2.0, 5120000},
        {3.5, 5120000}, {-2.5, 0},      {0.5, 3200000},  {std::nan(""), 2560000}};
    for (const auto& [g, value] : cases) EXPECT_EQ(ChartValueForG(g), value) << g;
}

}  // namespace
}  // namespace tesmira
