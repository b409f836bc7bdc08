// Several films in one export document: each film's part is what its own document
// holds, the films stay apart and in order, and no document breaks with odd names.

#include "cli/multi_track_export.h"

#include <gtest/gtest.h>

#include <cctype>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/text_encoding.h"

namespace tesmira {
namespace {

using nlohmann::json;

DerivedSample Fix(double latitude, double longitude) {
    DerivedSample s;
    s.fixValid = true;
    s.latitude = latitude;
    s.longitude = longitude;
    s.positionText = "N22.5,E114.0";
    s.speedKmh = 36.0;
    s.speedWholeKmh = 36;
    s.course = 90.0;
    return s;
}

VIDEO_GPS_RECORD_T At(int second) {
    VIDEO_GPS_RECORD_T r;
    r.year = 2026;
    r.month = 12;
    r.day = 8;
    r.hour = 9;
    r.second = second;
    return r;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Film a: two runs of fixes (a second without one between) with times; film b: one run
// without times, one of its texts spanning two lines.
class MultiTrackExport : public ::testing::Test {
protected:
    void SetUp() override {
        a.samples = {Fix(22.5, 114.0), Fix(22.6, 114.1), DerivedSample{}, Fix(22.7, 114.2)};
        aRecords = {At(0), At(1), At(2), At(3)};
        b.samples = {Fix(-33.9, 151.2), Fix(-33.8, 151.3)};
        b.samples[1].positionText = "line one\nline \"two\"";
        films = {{&a, &aRecords, "a <1>.MP4"}, {&b, nullptr, "b & c.mov"}};
    }
    FilmSamples a;
    FilmSamples b;
    std::vector<VIDEO_GPS_RECORD_T> aRecords;
    std::vector<TrackExportInput> films;
};

// The text between a one-film document's name line and its closing lines.
std::string Body(const std::string& document, const std::string& closing) {
    const std::size_t start = document.find("</name>\n") + 8;
    return document.substr(start, document.rfind(closing) - start);
}

TEST_F(MultiTrackExport, GpxIsOneTrackWithEachFilmsSegmentsInOrder) {
    const std::string doc = ExportTracks(ExportFormat::Gpx, films, "trip & more");
    EXPECT_EQ(Count(doc, "<trk>"), 1u);
    EXPECT_EQ(Count(doc, "<trkseg>"), 3u);  // a's two runs, b's one
    EXPECT_NE(doc.find("<trk>\n    <name>trip &amp; more</name>\n"), std::string::npos);
    const std::string parts =
        Body(ExportGpx(films[0]), "  </trk>") + Body(ExportGpx(films[1]), "  </trk>");
    EXPECT_NE(doc.find("</name>\n" + parts + "  </trk>\n</gpx>\n"), std::string::npos);
    EXPECT_EQ(Count(doc, "<time>"), 3u);  // a's fixes carry their times, b's have none
}

TEST_F(MultiTrackExport, KmlPutsEachFilmInAFolderNamedAfterIt) {
    const std::string doc = ExportTracks(ExportFormat::Kml, films, "trip");
    EXPECT_EQ(Count(doc, "<Folder>"), 2u);
    // Each film's placemarks, moved right into its folder named after it.
    for (const TrackExportInput& film : films) {
        std::string folder = Body(ExportKml(film), "  </Document>");
        for (std::size_t at = 0; at < folder.size(); at = folder.find('\n', at) + 1)
            folder.insert(at, "  ");
        std::string name;
        AppendXmlText(name, film.name);
        EXPECT_NE(
            doc.find("<Folder>\n      <name>" + name + "</name>\n" + folder + "    </Folder>\n"),
            std::string::npos);
    }
    EXPECT_LT(doc.find("a &lt;1&gt;.MP4"), doc.find("b &amp; c.mov"));
    EXPECT_EQ(Count(doc, "<Placemark>"), 3u);
}

TEST_F(MultiTrackExport, CsvRowsAreTheFilmsRowsAfterTheirName) {
    const std::string doc = ExportTracks(ExportFormat::Csv, films, "trip");
    const std::string one = ExportCsv(films[0]);
    const std::string header = one.substr(0, one.find('\n') + 1);
    ASSERT_EQ(doc.substr(0, header.size() + 5), "film," + header);
    std::string expected = "film," + header;
    for (const TrackExportInput& film : films) {
        const std::string rows = ExportCsv(film).substr(header.size());
        const std::string name = "\"" + film.name + "\",";
        // Rows start with their index; the line break inside b's quoted text starts none.
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i == 0 ||
                (rows[i - 1] == '\n' && std::isdigit(static_cast<unsigned char>(rows[i]))))
                expected += name;
            expected += rows[i];
        }
    }
    EXPECT_EQ(doc, expected);
    EXPECT_EQ(Count(doc, "\n\"a <1>.MP4\","), 4u);
}

TEST_F(MultiTrackExport, JsonHoldsEachFilmsOwnDocument) {
    const json doc = json::parse(ExportTracks(ExportFormat::Json, films, "trip"));
    ASSERT_EQ(doc.at("films").size(), 2u);
    for (std::size_t i = 0; i < films.size(); ++i) {
        EXPECT_EQ(doc["films"][i]["film"], films[i].name);
        EXPECT_EQ(doc["films"][i]["track"], json::parse(ExportJson(films[i])));
    }
}

}  // namespace
}  // namespace tesmira
