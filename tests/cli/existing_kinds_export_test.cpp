// The two embedded record kinds export exactly as they did before other
// record sources existed: the documents are compared byte for byte with the
// ones kept beside this test (JSON less its "source" and "events" lines, which came
// later).

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/track_export.h"
#include "extract/box_builder.h"
#include "extract/film_samples.h"

namespace tesmira {
namespace {

using namespace test;

// Fixes and gaps, both hemispheres, odd G-sensor bytes, valid and invalid times.
std::vector<RecordFields> MixedRecords() {
    std::vector<RecordFields> recs(6);
    for (std::size_t i = 0; i < recs.size(); ++i) {
        recs[i].second = static_cast<int32_t>(10 + i);
        recs[i].latitude = 2232.5 + 0.013 * static_cast<double>(i);
        recs[i].longitude = 11403.25 + 0.021 * static_cast<double>(i);
        recs[i].speed = 18.9 + static_cast<double>(i);
        recs[i].course = 30.0 * static_cast<double>(i);
        recs[i].gx = 0xFF + static_cast<uint32_t>(i);
        recs[i].gy = 256;
        recs[i].gz = 600;
    }
    recs[2].status = 'V';
    recs[4].latHemisphere = 'S';
    recs[4].lonHemisphere = 'W';
    recs[5].month = 13;
    return recs;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string WithoutLaterLines(std::string json) {
    for (const char* key : {"\n  \"source\": ", "\n  \"events\": "}) {
        const auto at = json.find(key);
        if (at != std::string::npos) json.erase(at, json.find('\n', at + 1) - at);
    }
    return json;
}

struct Kind {
    const char* name;
    Bytes film;
};

TEST(ExistingKindsExport, DocumentsAreUnchanged) {
    TempDir dir;
    const Kind kinds[] = {{"type50", Type50Film(MixedRecords())},
                          {"type60", Type60Film(MixedRecords())},
                          {"none", Type60Film({})}};
    const std::pair<ExportFormat, const char*> formats[] = {{ExportFormat::Json, "json"},
                                                            {ExportFormat::Csv, "csv"},
                                                            {ExportFormat::Gpx, "gpx"},
                                                            {ExportFormat::Kml, "kml"}};
    for (const Kind& kind : kinds) {
        const auto path = dir.write(std::string(kind.name) + ".MOV", kind.film);
        const FilmSamples film = LoadFilmSamples(path, {});
        TrackExportInput input;
        input.film = &film;
        input.records = &film.records;
        input.name = std::string(kind.name) + ".MOV";
        for (const auto& [format, ext] : formats) {
            const std::string golden =
                std::string(TESMIRA_EXPORT_GOLDEN_DIR) + "/" + kind.name + "." + ext;
            std::string document = ExportTrack(format, input);
            if (std::getenv("TESMIRA_WRITE_GOLDEN") != nullptr) {
                std::ofstream(golden, std::ios::binary) << document;
            }
            if (format == ExportFormat::Json) document = WithoutLaterLines(document);
            EXPECT_EQ(document, ReadText(golden)) << golden;
        }
    }
}

}  // namespace
}  // namespace tesmira
