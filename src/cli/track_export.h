#pragma once
// A film's samples written as a document for other tools: JSON (every value the
// player derives), CSV (one row per record), GPX 1.1 and KML (the track).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "extract/film_samples.h"
#include "extract/g_events.h"
#include "extract/gps_record.h"

namespace tesmira {

enum class ExportFormat { Json, Csv, Gpx, Kml };

// "json", "csv", "gpx" or "kml" (lower case, as typed on the command line).
std::optional<ExportFormat> ParseExportFormat(std::string_view name);

// A record's fix time in UTC.
struct UtcTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The record's date and time when they form a real instant. Receivers report
// the year with two digits (RMC) or four; 0..99 are taken as 2000..2099, four
// digits are accepted from 1980 (the GPS epoch) to 2099, anything else has no time.
std::optional<UtcTime> RecordTime(const VIDEO_GPS_RECORD_T& record);

// "YYYY-MM-DDThh:mm:ssZ".
std::string FormatUtcTime(const UtcTime& time);

struct TrackExportInput {
    const FilmSamples* film = nullptr;
    // The raw records in sample order, for time stamps; null or a different
    // count than film->samples means no time stamps.
    const std::vector<VIDEO_GPS_RECORD_T>* records = nullptr;
    std::string name;                // track and document name
    double eventG = kDefaultEventG;  // the threshold of the JSON's events
};

// {"type": 50|60|0, "source": "type50"|"type60"|"gpmf"|"gpx"|"nmea"|null, "hasSamples": bool,
// "integrityPassed": count (type 50) or null, "events": [second, ...] (FindGEvents at
//  input.eventG; none for a film without samples),
//  "samples": [{"index", "fix", "latitude", "longitude" (WGS-84, null without fix),
//  "positionText", "speedKmh", "speedWholeKmh", "course", "gsensor": [x, y, z],
//  "map": {"google": [lon, lat], "baidu": [lon, lat]}}, ...]}. Other tools read this
// shape; numbers read back to the same binary64, non-finite ones are null.
std::string ExportJson(const TrackExportInput& input);
// Header line, then one row per record; text fields quoted, empty where JSON has null.
std::string ExportCsv(const TrackExportInput& input);
// How a GPX document (one track) and a KML document begin, up to the document's name;
// shared with the exports of several films.
inline constexpr std::string_view kGpxHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<gpx version=\"1.1\" creator=\"tesmira\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
    "  <trk>\n    <name>";
inline constexpr std::string_view kKmlHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
    "  <Document>\n    <name>";

// One <trkseg> per run of fixes; <time> where the record's date and time are valid.
std::string ExportGpx(const TrackExportInput& input);
// One Placemark per run: a LineString, or a Point for a lone fix; TimeSpan from
// the run's first and last valid times.
std::string ExportKml(const TrackExportInput& input);
std::string ExportTrack(ExportFormat format, const TrackExportInput& input);

// The same document handed to `sink` in pieces, in order, as it is written.
using DocumentSink = std::function<void(std::string_view)>;
void ExportTrack(ExportFormat format, const TrackExportInput& input, const DocumentSink& sink);

// Whether a sample's position can stand in a GPX or KML track: a valid fix with
// finite coordinates in range. Other samples end a track segment.
bool IsTrackPoint(const DerivedSample& sample);

// Runs of consecutive track points as [first, last] sample indexes.
struct SampleRun {
    std::size_t first = 0;
    std::size_t last = 0;
};
std::vector<SampleRun> TrackRuns(const std::vector<DerivedSample>& samples);

}  // namespace tesmira
