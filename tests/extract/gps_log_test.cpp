// GPS logs beside the film: GPX and NMEA points, damaged lines, finding the
// log, and the per-second samples of a film.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "extract/box_builder.h"
#include "extract/record_sources.h"

namespace tesmira {
namespace {

const double kT0 = UnixTime(2026, 12, 8, 8, 30, 0);

// The checksum NMEA appends: XOR of the characters between '$' and '*'.
std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (const char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail + "\r\n";
}

struct LogCase {
    const char* name;
    bool gpx;
    std::string text;
    std::vector<LogPoint> expected;
};

TEST(GpsLog, ParsesPoints) {
    const std::string gpx10 =
        "<?xml version=\"1.0\"?><gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">"
        "<trk><trkseg>"
        "<trkpt lat=\"22.5\" lon=\"114.05\"><time>2026-12-08T08:30:00Z</time>"
        "<course>90</course><speed>10</speed></trkpt>"
        "<trkpt lat='22.6' "
        "lon='114.06'><time>2026-12-08T16:30:02+08:00</time><fix>none</fix></trkpt>"
        "<trkpt lat=\"22.7\" lon=\"114.07\"><ele>3</ele></trkpt>"  // no time: skipped
        "<trkpt lat=\"x\" lon=\"114.07\"><time>2026-12-08T08:30:03Z</time></trkpt>"  // damaged
        "</trkseg></trk></gpx>";
    const std::string gpx11 =
        "<gpx:gpx version=\"1.1\" xmlns:gpx=\"http://www.topografix.com/GPX/1/1\"><gpx:trk>"
        "<!-- <trkpt lat=\"1\" lon=\"1\"><time>2026-12-08T08:29:00Z</time></trkpt> -->"
        "<gpx:trkseg><gpx:trkpt lon=\"-58.4\" lat=\"-33.8\">\n"
        "  <gpx:time>2026-12-08T08:30:01.500Z</gpx:time>\n</gpx:trkpt>"
        "<gpx:trkpt lat=\"-33.9\" lon=\"-58.5\"><gpx:time>2026-12-08T08:30:00Z</gpx:time>"
        "</gpx:trkpt></gpx:trkseg></gpx:trk></gpx:gpx>";
    const std::string nmea =
        Sentence("GPRMC,083000.00,A,2230.000,N,11403.000,E,10.0,45.0,081226,,,A") +
        Sentence("GPGGA,083000.00,2230.000,N,11403.000,E,1,08,0.9,10.0,M,,M,,") +
        Sentence("GNRMC,083001.00,A,2230.100,N,11403.100,E,,,081226,,,A") +
        Sentence("GNGGA,083001.00,2230.100,N,11403.100,E,0,00,,,M,,M,,") +  // quality 0: no fix
        "$GPRMC,083002.00,A,2230.200,N,11403.200,E,10.0,45.0,081226,,,A*00\r\n" +  // bad checksum
        Sentence("GPRMC,083003.00,V,,,,,,,081226,,,N") +
        Sentence("GPRMC,083004.00,A,2230.400,X,11403.400,E,1,1,081226,,,A") +  // bad hemisphere
        "GPRMC,083005.00,A,2230.500,N,11403.500,E,1,1,081226,,,A\r\n" +        // no '$', no '*'
        Sentence("GPRMC,083006.5,A,3348.000,S,05824.000,W,0.0,359.9,081226,,,A");
    const LogCase cases[] = {
        {"GPX 1.0",
         true,
         gpx10,
         {{kT0, true, 22.5, 114.05, 36, 90}, {kT0 + 2, false, 22.6, 114.06, -1, -1}}},
        {"GPX 1.1, prefixed, out of order",
         true,
         gpx11,
         {{kT0, true, -33.9, -58.5, -1, -1}, {kT0 + 1.5, true, -33.8, -58.4, -1, -1}}},
        {"NMEA",
         false,
         nmea,
         {{kT0, true, 22.5, 114.05, 18.52, 45},
          {kT0 + 1, false, 22.5 + 0.1 / 60, 114.05 + 0.1 / 60, -1, -1},
          {kT0 + 3, false, 0, 0, -1, -1},
          {kT0 + 6.5, true, -33.8, -58.4, 0, 359.9}}},
        {"garbage", false, std::string("\0\xff$*\n$GPRMC*ZZ\n", 14), {}},
    };
    for (const LogCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto points = c.gpx ? ParseGpx(c.text) : ParseNmea(c.text);
        ASSERT_EQ(points.size(), c.expected.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_DOUBLE_EQ(points[i].time, c.expected[i].time);
            EXPECT_EQ(points[i].fix, c.expected[i].fix);
            EXPECT_NEAR(points[i].latitude, c.expected[i].latitude, 1e-9);
            EXPECT_NEAR(points[i].longitude, c.expected[i].longitude, 1e-9);
            EXPECT_NEAR(points[i].speedKmh, c.expected[i].speedKmh, 1e-9);
            EXPECT_NEAR(points[i].course, c.expected[i].course, 1e-9);
        }
    }
}

TEST(GpsLog, OneSamplePerFilmSecond) {
    // Points at film seconds 1 and 3 (moving north-east), a gap, then 6.
    const std::vector<LogPoint> points = {{kT0 + 1, true, 22.50, 114.00, -1, -1},
                                          {kT0 + 3, true, 22.52, 114.02, -1, -1},
                                          {kT0 + 4, false, 0, 0, -1, -1},
                                          {kT0 + 6, true, 22.53, 114.03, 40, 10}};
    std::vector<std::string> notes;
    const auto note = [&](const std::string& m) { notes.push_back(m); };
    const SourceSamples s = SamplesFromLog(points, kT0, 8, note);
    ASSERT_EQ(s.samples.size(), 8u);
    ASSERT_EQ(s.records.size(), 8u);
    EXPECT_TRUE(notes.empty());
    const bool fix[] = {false, true, true, true, false, false, true, false};
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(s.samples[i].fixValid, fix[i]) << i;
    EXPECT_NEAR(s.samples[2].latitude, 22.51, 1e-9);  // halfway
    EXPECT_NEAR(s.samples[2].longitude, 114.01, 1e-9);
    const double metresPerSecond = DistanceMetres(22.50, 114.00, 22.52, 114.02) / 2;
    EXPECT_NEAR(s.samples[2].speedKmh, metresPerSecond * 3.6, 1e-6);
    // Without courses in the log: the bearing to the next sample with a fix.
    EXPECT_NEAR(s.samples[1].course, BearingDegrees(22.50, 114.00, 22.51, 114.01), 1e-9);
    EXPECT_NEAR(s.samples[3].course, BearingDegrees(22.52, 114.02, 22.53, 114.03), 1e-9);
    EXPECT_EQ(s.samples[6].speedKmh, 40);  // the log's own speed and course
    EXPECT_EQ(s.samples[6].course, 10);
    EXPECT_EQ(s.samples[0].positionText, "00.00000,000.00000");
    EXPECT_EQ(s.samples[2].positionText, "N22.510000,E114.010000");
    EXPECT_EQ(s.records[2].hour * 3600 + s.records[2].minute * 60 + s.records[2].second,
              8 * 3600 + 30 * 60 + 2);
    EXPECT_EQ(s.records[2].year, 2026);

    // A log from another day is taken from its first point, and said so.
    const SourceSamples late = SamplesFromLog(points, kT0 - 86400, 3, note);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_TRUE(late.samples[0].fixValid);
    EXPECT_NEAR(late.samples[0].latitude, 22.50, 1e-9);
    EXPECT_EQ(late.records[0].day, 8);
}

TEST(GpsLog, FoundBesideTheFilmWhateverTheCase) {
    test::TempDir dir;
    const auto film = dir.write("Drive.MP4", {});
    dir.write("drive.NMEA", {});
    dir.write("other.gpx", {});
    dir.write("Drive.MP4.gpx", {});
    EXPECT_FALSE(FindLogBeside(film, LogKind::Gpx));
    const auto nmea = FindLogBeside(film, LogKind::Nmea);
    ASSERT_TRUE(nmea);
    EXPECT_EQ(nmea->filename(), "drive.NMEA");
    dir.write("DRIVE.gpx", {});
    dir.write("Drive.GPX", {});
    const auto gpx = FindLogBeside(film, LogKind::Gpx);
    ASSERT_TRUE(gpx);
    EXPECT_EQ(gpx->filename(), "Drive.GPX");  // spelled like the film
}

}  // namespace
}  // namespace tesmira
