#include "cli/track_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "cli/text_encoding.h"
#include "mainwnd/track_texts.h"
#include "support/command_runner.h"

namespace tesmira {
namespace {

using nlohmann::json;

DerivedSample Fix(double latitude, double longitude) {
    DerivedSample s;
    s.fixValid = true;
    s.latitude = latitude;
    s.longitude = longitude;
    s.positionText = "N22.541667,E114.000000";
    s.speedKmh = 18.52;
    s.speedWholeKmh = 18;
    s.course = 271.25;
    s.gsensor = {-10000, 2560000, 5120000};
    return s;
}

DerivedSample NoFix() {
    DerivedSample s;
    s.positionText = "00.00000,000.00000";
    s.course = 180.0;
    s.gsensor = {10000, 0, -1280000};
    return s;
}

VIDEO_GPS_RECORD_T RecordAt(int year, int month, int day, int hour, int minute, int second) {
    VIDEO_GPS_RECORD_T r;
    r.year = year;
    r.month = month;
    r.day = day;
    r.hour = hour;
    r.minute = minute;
    r.second = second;
    return r;
}

std::string Export(ExportFormat format, const FilmSamples& film,
                   const std::vector<VIDEO_GPS_RECORD_T>* records = nullptr) {
    TrackExportInput input;
    input.film = &film;
    input.records = records;
    input.name = "film <1> & \"two\".MP4";
    return ExportTrack(format, input);
}

TEST(TrackExport, JsonHasEveryFieldAndNumbersReadBackExactly) {
    FilmSamples film;
    film.type = FileType::Type50;
    film.source = RecordSource::Type50;
    film.hasSamples = true;
    film.integrityPassed = 3;
    film.samples.push_back(Fix(22.542796, 114.061523));
    film.samples.push_back(NoFix());
    film.samples.push_back(Fix(22.541666666666668, 114.06152299999999));
    film.samples.push_back(Fix(-33.9 + 1e-13, -0.1 - 0.2));
    film.samples.back().speedKmh = 0.1 + 0.2;
    film.samples.back().course = 5e-324;  // smallest subnormal
    film.samples.push_back(Fix(22.5, 114.0));
    film.samples.back().speedKmh = std::numeric_limits<double>::quiet_NaN();
    film.samples.back().course = std::numeric_limits<double>::infinity();

    const json doc = json::parse(Export(ExportFormat::Json, film));
    ASSERT_TRUE(doc.is_object());
    EXPECT_EQ(doc.size(), 6u);
    EXPECT_EQ(doc.at("type"), 50);
    EXPECT_EQ(doc.at("source"), "type50");
    EXPECT_EQ(doc.at("hasSamples"), true);
    EXPECT_EQ(doc.at("integrityPassed"), 3);
    EXPECT_EQ(doc.at("events"), json::array({1}));  // the second sample's G-sensor jump
    const json& samples = doc.at("samples");
    ASSERT_EQ(samples.size(), film.samples.size());

    const std::set<std::string> keys = {"index",        "fix",      "latitude",      "longitude",
                                        "positionText", "speedKmh", "speedWholeKmh", "course",
                                        "gsensor",      "map"};
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const json& j = samples[i];
        const DerivedSample& s = film.samples[i];
        std::set<std::string> seen;
        for (const auto& [key, value] : j.items()) seen.insert(key);
        EXPECT_EQ(seen, keys) << i;
        EXPECT_EQ(j.at("index"), i);
        EXPECT_EQ(j.at("fix"), s.fixValid);
        EXPECT_EQ(j.at("positionText"), s.positionText);
        EXPECT_EQ(j.at("speedWholeKmh"), s.speedWholeKmh);
        EXPECT_TRUE(j.at("speedWholeKmh").is_number_integer());
        EXPECT_EQ(j.at("gsensor"), json::array({s.gsensor[0], s.gsensor[1], s.gsensor[2]}));
        for (const auto& [name, provider] :
             {std::pair{"google", kMapProviderGoogle}, std::pair{"baidu", kMapProviderBaidu}}) {
            const MapTexts t = MapTextsForSample(s, provider);
            EXPECT_EQ(j.at("map").at(name), json::array({t.longitude, t.latitude})) << i;
        }
        if (s.fixValid) {
            // Bit-for-bit the same binary64 after reading back.
            EXPECT_EQ(j.at("latitude").get<double>(), s.latitude) << i;
            EXPECT_EQ(j.at("longitude").get<double>(), s.longitude) << i;
        } else {
            EXPECT_TRUE(j.at("latitude").is_null());
            EXPECT_TRUE(j.at("longitude").is_null());
        }
    }
    EXPECT_EQ(samples[3].at("speedKmh").get<double>(), 0.1 + 0.2);
    EXPECT_EQ(samples[3].at("course").get<double>(), 5e-324);
    EXPECT_EQ(samples[0].at("speedKmh").get<double>(), 18.52);
    EXPECT_EQ(samples[1].at("course").get<double>(), 180.0);
    EXPECT_TRUE(samples[4].at("speedKmh").is_null());
    EXPECT_TRUE(samples[4].at("course").is_null());
    EXPECT_EQ(samples[1].at("map").at("baidu"), json::array({"V", "V"}));
    EXPECT_EQ(samples[0].at("map").at("google"), json::array({"114.066641", "22.540085"}));
}

TEST(TrackExport, JsonEmptyAndType60Documents) {
    FilmSamples none;
    const json empty = json::parse(Export(ExportFormat::Json, none));
    EXPECT_EQ(empty.at("type"), 0);
    EXPECT_EQ(empty.at("hasSamples"), false);
    EXPECT_TRUE(empty.at("integrityPassed").is_null());
    EXPECT_TRUE(empty.at("samples").is_array());
    EXPECT_TRUE(empty.at("samples").empty());

    FilmSamples t60;
    t60.type = FileType::Type60;
    t60.hasSamples = true;
    t60.integrityPassed = 7;  // not meaningful for type 60
    t60.samples = {NoFix()};
    const json doc = json::parse(Export(ExportFormat::Json, t60));
    EXPECT_EQ(doc.at("type"), 60);
    EXPECT_TRUE(doc.at("integrityPassed").is_null());

    // A type-50 film rejected by the integrity count still lists its records.
    FilmSamples rejected;
    rejected.type = FileType::Type50;
    rejected.integrityPassed = 2;
    rejected.samples = {Fix(1, 2), Fix(3, 4), NoFix(), NoFix()};
    const json r = json::parse(Export(ExportFormat::Json, rejected));
    EXPECT_EQ(r.at("hasSamples"), false);
    EXPECT_EQ(r.at("integrityPassed"), 2);
    EXPECT_EQ(r.at("events"), json::array());  // the jump at 2 is in records the player rejects
    EXPECT_EQ(r.at("samples").size(), 4u);
}

TEST(TrackExport, TextsWithAnyBytesStayValid) {
    FilmSamples film;
    film.type = FileType::Type60;
    DerivedSample s = NoFix();
    s.positionText = "N\xff\"q\\\n";
    s.positionText += '\x01';
    s.positionText += "\x7f \xc3\xa9 \xed\xa0\x80 \xc3";
    film.samples = {s};
    // The JSON reader rejects invalid UTF-8 and raw control characters.
    const json doc = json::parse(Export(ExportFormat::Json, film));
    EXPECT_EQ(doc.at("samples")[0].at("positionText").get<std::string>(),
              "N\xef\xbf\xbd\"q\\\n\x01\x7f \xc3\xa9 \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd "
              "\xef\xbf\xbd");

    const std::string csv = Export(ExportFormat::Csv, film);
    EXPECT_NE(csv.find("\"N\xef\xbf\xbd\"\"q\\\n"), std::string::npos) << csv;
    EXPECT_EQ(csv.find('\xff'), std::string::npos);

    const std::string gpx = Export(ExportFormat::Gpx, film);
    EXPECT_NE(gpx.find("<name>film &lt;1&gt; &amp; &quot;two&quot;.MP4</name>"), std::string::npos);

    // U+FFFE and U+FFFF are well-formed UTF-8 yet no XML character; U+FFFD stays.
    std::string xml;
    AppendXmlText(xml,
                  "a\xef\xbf\xbe"
                  "b\xef\xbf\xbf"
                  "c\xef\xbf\xbd\xef\xbf");
    EXPECT_EQ(xml,
              "a\xef\xbf\xbd"
              "b\xef\xbf\xbd"
              "c\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
}

// Splits one CSV record (quoted fields may hold commas and doubled quotes).
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

TEST(TrackExport, CsvHasHeaderAndOneRowPerRecord) {
    FilmSamples film;
    film.type = FileType::Type50;
    film.samples = {Fix(22.542796, 114.061523), NoFix(), Fix(-0.1 - 0.2, 2.35)};
    film.samples[1].speedKmh = std::numeric_limits<double>::quiet_NaN();
    const std::vector<VIDEO_GPS_RECORD_T> records = {RecordAt(24, 2, 29, 23, 59, 59),
                                                     RecordAt(2024, 2, 30, 0, 0, 0),
                                                     RecordAt(2023, 12, 31, 0, 0, 1)};
    const std::string csv = Export(ExportFormat::Csv, film, &records);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = csv.find('\n', start)) != std::string::npos; start = nl + 1) {
        lines.push_back(csv.substr(start, nl - start));
    }
    EXPECT_EQ(start, csv.size()) << "document ends with a line break";
    ASSERT_EQ(lines.size(), 4u);
    const auto header = CsvFields(lines[0]);
    ASSERT_EQ(header.size(), 16u);
    EXPECT_EQ(header[0], "index");
    EXPECT_EQ(header[15], "utc_time");
    const auto row0 = CsvFields(lines[1]);
    const auto row1 = CsvFields(lines[2]);
    const auto row2 = CsvFields(lines[3]);
    ASSERT_EQ(row0.size(), 16u);
    ASSERT_EQ(row1.size(), 16u);
    ASSERT_EQ(row2.size(), 16u);
    EXPECT_EQ(row0[0], "0");
    EXPECT_EQ(row0[1], "1");
    EXPECT_EQ(std::stod(row0[2]), 22.542796);
    EXPECT_EQ(row0[4], "N22.541667,E114.000000");
    EXPECT_EQ(row0[5], "18.52");
    EXPECT_EQ(row0[6], "18");
    EXPECT_EQ(row0[8], "-10000");
    EXPECT_EQ(row0[11], "114.066641");
    EXPECT_EQ(row0[12], "22.540085");
    EXPECT_EQ(row0[13], "114.073188");
    EXPECT_EQ(row0[14], "22.545760");
    EXPECT_EQ(row0[15], "2024-02-29T23:59:59Z");
    EXPECT_EQ(row1[1], "0");
    EXPECT_EQ(row1[2], "");
    EXPECT_EQ(row1[5], "");  // not a number
    EXPECT_EQ(row1[11], "V");
    EXPECT_EQ(row1[15], "");  // 30 February
    EXPECT_EQ(std::stod(row2[2]), -0.1 - 0.2);
    EXPECT_EQ(row2[15], "2023-12-31T00:00:01Z");
}

TEST(TrackExport, RecordTimeAcceptsOnlyRealInstants) {
    const auto text = [](const VIDEO_GPS_RECORD_T& r) {
        const auto t = RecordTime(r);
        return t ? FormatUtcTime(*t) : std::string("none");
    };
    EXPECT_EQ(text(RecordAt(24, 5, 1, 12, 3, 4)), "2024-05-01T12:03:04Z");
    EXPECT_EQ(text(RecordAt(0, 1, 1, 0, 0, 0)), "2000-01-01T00:00:00Z");
    EXPECT_EQ(text(RecordAt(99, 12, 31, 23, 59, 59)), "2099-12-31T23:59:59Z");
    EXPECT_EQ(text(RecordAt(1980, 1, 6, 0, 0, 0)), "1980-01-06T00:00:00Z");
    EXPECT_EQ(text(RecordAt(2000, 2, 29, 1, 1, 1)), "2000-02-29T01:01:01Z");
    EXPECT_EQ(text(RecordAt(2023, 2, 29, 1, 1, 1)), "none");
    EXPECT_EQ(text(RecordAt(2024, 4, 31, 1, 1, 1)), "none");
    EXPECT_EQ(text(RecordAt(100, 1, 1, 0, 0, 0)), "none");
    EXPECT_EQ(text(RecordAt(1979, 1, 1, 0, 0, 0)), "none");
    EXPECT_EQ(text(RecordAt(2100, 1, 1, 0, 0, 0)), "none");
    EXPECT_EQ(text(RecordAt(-1, 1, 1, 0, 0, 0)), "none");
    EXPECT_EQ(text(RecordAt(24, 0, 1, 0, 0, 0)), "none");
    EXPECT_EQ(text(RecordAt(24, 13, 1, 0, 0, 0)), "none");
    EXPECT_EQ(text(RecordAt(24, 1, 0, 0, 0, 0)), "none");
    EXPECT_EQ(text(RecordAt(24, 1, 1, 24, 0, 0)), "none");
    EXPECT_EQ(text(RecordAt(24, 1, 1, 0, 60, 0)), "none");
    EXPECT_EQ(text(RecordAt(24, 1, 1, 0, 0, 60)), "none");
    EXPECT_EQ(text(RecordAt(24, 1, 1, -1, 0, 0)), "none");
    EXPECT_EQ(text(VIDEO_GPS_RECORD_T{}), "none");  // an all-zero record
}

TEST(TrackExport, RunsBreakAtSamplesWithoutUsablePosition) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<DerivedSample> s = {Fix(1, 1),    Fix(1, 2),      NoFix(),   Fix(1, 3), Fix(nan, 3),
                                    Fix(90, 180), Fix(-90, -180), Fix(1, 1), Fix(91, 0)};
    const auto runs = TrackRuns(s);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].first, 0u);
    EXPECT_EQ(runs[0].last, 1u);
    EXPECT_EQ(runs[1].first, 3u);
    EXPECT_EQ(runs[1].last, 3u);
    EXPECT_EQ(runs[2].first, 6u);  // longitude 180 lies outside [-180, 180)
    EXPECT_EQ(runs[2].last, 7u);
    EXPECT_TRUE(TrackRuns({}).empty());
    EXPECT_TRUE(TrackRuns({NoFix(), NoFix()}).empty());
}

// A film with three runs of fixes: 3 points, 1 point, 2 points.
FilmSamples ThreeRunFilm(std::vector<VIDEO_GPS_RECORD_T>& records) {
    FilmSamples film;
    film.type = FileType::Type60;
    film.hasSamples = true;
    film.samples = {NoFix(),
                    Fix(22.5, 114.0),
                    Fix(22.5001, 114.0001),
                    Fix(22.50020000000001, 114.0002),
                    NoFix(),
                    Fix(-33.9, 151.2),
                    NoFix(),
                    NoFix(),
                    Fix(48.85, 2.35),
                    Fix(48.8501, -0.000001)};
    for (std::size_t i = 0; i < film.samples.size(); ++i) {
        records.push_back(RecordAt(24, 5, 1, 12, 0, static_cast<int>(i)));
    }
    records[9] = RecordAt(24, 2, 30, 12, 0, 9);  // no valid date
    return film;
}

std::filesystem::path WriteTemp(const std::string& name, const std::string& text) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("tesmira_export_" + std::to_string(::getpid()) + "_" + name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

TEST(TrackExport, GpxIsReadBackByGpsbabelWithOneSegmentPerRun) {
    std::vector<VIDEO_GPS_RECORD_T> records;
    const FilmSamples film = ThreeRunFilm(records);
    const std::string gpx = Export(ExportFormat::Gpx, film, &records);
    EXPECT_EQ(Count(gpx, "<trkseg>"), 3u);
    EXPECT_EQ(gpx.find("e-"), std::string::npos) << "no exponent in coordinates";
    const auto file = WriteTemp("track.gpx", gpx);

    const CommandResult back = RunCommand("gpsbabel -i gpx -f '" + file.string() + "' -o gpx -F -");
    ASSERT_EQ(back.status, 0) << back.output;
    EXPECT_EQ(Count(back.output, "<trkseg>"), 3u);
    EXPECT_EQ(Count(back.output, "<trkpt "), 6u);
    EXPECT_EQ(Count(back.output, "<time>2024-05-01T12:00:0"), 5u);  // not the 30 February one

    const CommandResult csv =
        RunCommand("gpsbabel -t -i gpx -f '" + file.string() + "' -o unicsv -F -");
    ASSERT_EQ(csv.status, 0) << csv.output;
    EXPECT_EQ(Count(csv.output, "\n"), 1u + 6u) << csv.output;
    EXPECT_NE(csv.output.find("-33.900000,151.200000,2024/05/01,12:00:05"), std::string::npos)
        << csv.output;
    std::filesystem::remove(file);
}

TEST(TrackExport, KmlIsReadBackByGpsbabelWithOnePlacemarkPerRun) {
    std::vector<VIDEO_GPS_RECORD_T> records;
    const FilmSamples film = ThreeRunFilm(records);
    const std::string kml = Export(ExportFormat::Kml, film, &records);
    EXPECT_EQ(Count(kml, "<Placemark>"), 3u);
    EXPECT_EQ(Count(kml, "<LineString>"), 2u);
    EXPECT_EQ(Count(kml, "<Point>"), 1u);
    EXPECT_NE(kml.find("<begin>2024-05-01T12:00:01Z</begin><end>2024-05-01T12:00:03Z</end>"),
              std::string::npos);
    EXPECT_NE(kml.find("<when>2024-05-01T12:00:05Z</when>"), std::string::npos);
    const auto file = WriteTemp("track.kml", kml);

    // Lines come back as tracks, the lone fix as a waypoint.
    const CommandResult tracks =
        RunCommand("gpsbabel -t -i kml -f '" + file.string() + "' -o unicsv -F -");
    ASSERT_EQ(tracks.status, 0) << tracks.output;
    EXPECT_EQ(Count(tracks.output, "\n"), 1u + 5u) << tracks.output;
    EXPECT_NE(tracks.output.find("22.500000,114.000000,2024/05/01,12:00:01"), std::string::npos)
        << tracks.output;
    EXPECT_NE(tracks.output.find("48.850100,-0.000001"), std::string::npos) << tracks.output;

    const CommandResult points =
        RunCommand("gpsbabel -w -i kml -f '" + file.string() + "' -o unicsv -F -");
    ASSERT_EQ(points.status, 0) << points.output;
    EXPECT_EQ(Count(points.output, "\n"), 1u + 1u) << points.output;
    EXPECT_NE(points.output.find("-33.900000,151.200000"), std::string::npos) << points.output;
    std::filesystem::remove(file);
}

TEST(TrackExport, EmptyTrackDocumentsAreStillRead) {
    FilmSamples none;
    for (const auto& [format, ext] :
         {std::pair{ExportFormat::Gpx, "gpx"}, std::pair{ExportFormat::Kml, "kml"}}) {
        const auto file = WriteTemp(std::string("empty.") + ext, Export(format, none));
        const CommandResult r = RunCommand(std::string("gpsbabel -t -i ") + ext + " -f '" +
                                           file.string() + "' -o unicsv -F -");
        EXPECT_EQ(r.status, 0) << ext << ": " << r.output;
        EXPECT_EQ(r.output, "No,Latitude,Longitude\r\n") << ext;  // a header, no points
        std::filesystem::remove(file);
    }
    const std::string csv = Export(ExportFormat::Csv, none);
    EXPECT_EQ(Count(csv, "\n"), 1u);
    EXPECT_EQ(csv.rfind("index,", 0), 0u);
}

}  // namespace
}  // namespace tesmira
