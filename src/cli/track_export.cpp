#include "cli/track_export.h"

#include <charconv>
#include <cmath>

#include "cli/text_encoding.h"
#include "mainwnd/track_texts.h"

namespace tesmira {
namespace {

// Shortest text that reads back to the same binary64; "null" when not finite.
void AppendJsonNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

template <typename Int>
void AppendInt(std::string& out, Int value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

// Round-trip text without exponent, as XML Schema decimals require.
void AppendDecimal(std::string& out, double value) {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    out.append(buf, res.ptr);
}

// CSV leaves a field empty where JSON writes null.
void AppendCsvNumber(std::string& out, double value) {
    if (std::isfinite(value)) AppendJsonNumber(out, value);
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<UtcTime> TimeOfSample(const TrackExportInput& input, std::size_t index) {
    if (input.records == nullptr || input.records->size() != input.film->samples.size()) {
        return std::nullopt;
    }
    return RecordTime((*input.records)[index]);
}

void AppendTwoDigits(std::string& out, int v) {
    out += static_cast<char>('0' + v / 10);
    out += static_cast<char>('0' + v % 10);
}

}  // namespace

std::optional<ExportFormat> ParseExportFormat(std::string_view name) {
    if (name == "json") return ExportFormat::Json;
    if (name == "csv") return ExportFormat::Csv;
    if (name == "gpx") return ExportFormat::Gpx;
    if (name == "kml") return ExportFormat::Kml;
    return std::nullopt;
}

std::optional<UtcTime> RecordTime(const VIDEO_GPS_RECORD_T& r) {
    int year = r.year;
    if (year >= 0 && year <= 99) {
        year += 2000;
    } else if (year < 1980 || year > 2099) {
        return std::nullopt;
    }
    if (r.month < 1 || r.month > 12) return std::nullopt;
    if (r.day < 1 || r.day > DaysInMonth(year, r.month)) return std::nullopt;
    if (r.hour < 0 || r.hour > 23 || r.minute < 0 || r.minute > 59 || r.second < 0 ||
        r.second > 59) {
        return std::nullopt;
    }
    return UtcTime{year, r.month, r.day, r.hour, r.minute, r.second};
}

std::string FormatUtcTime(const UtcTime& t) {
    std::string out;
    AppendInt(out, t.year);
    out += '-';
    AppendTwoDigits(out, t.month);
    out += '-';
    AppendTwoDigits(out, t.day);
    out += 'T';
    AppendTwoDigits(out, t.hour);
    out += ':';
    AppendTwoDigits(out, t.minute);
    out += ':';
    AppendTwoDigits(out, t.second);
    out += 'Z';
    return out;
}

bool IsTrackPoint(const DerivedSample& s) {
    return s.fixValid && std::isfinite(s.latitude) && std::isfinite(s.longitude) &&
           s.latitude >= -90.0 && s.latitude <= 90.0 && s.longitude >= -180.0 &&
           s.longitude < 180.0;
}

std::vector<SampleRun> TrackRuns(const std::vector<DerivedSample>& samples) {
    std::vector<SampleRun> runs;
    bool inRun = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!IsTrackPoint(samples[i])) {
            inRun = false;
        } else if (inRun) {
            runs.back().last = i;
        } else {
            runs.push_back({i, i});
            inRun = true;
        }
    }
    return runs;
}

namespace {

// Where a document goes: whole into text, or piece by piece to a sink, so
// that a long film's document is never held (nor its memory touched) at once.
class DocumentOut {
public:
    explicit DocumentOut(const DocumentSink* sink) : sink_(sink) {
        if (sink_ != nullptr) text.reserve(kPiece + 4096);
    }
    std::string text;
    // After each sample: hands what is written so far on once it is large enough.
    void pieceDone() {
        if (sink_ == nullptr || text.size() < kPiece) return;
        (*sink_)(text);
        text.clear();
    }

private:
    static constexpr std::size_t kPiece = 64 * 1024;
    const DocumentSink* sink_;
};

void WriteJson(const TrackExportInput& input, DocumentOut& doc) {
    const FilmSamples& film = *input.film;
    std::string& out = doc.text;
    out += "{\n  \"type\": ";
    AppendInt(out, static_cast<int>(film.type));
    out += ",\n  \"source\": ";
    if (const std::string_view source = RecordSourceName(film.source); source.empty()) {
        out += "null";
    } else {
        AppendJsonString(out, source);
    }
    out += ",\n  \"hasSamples\": ";
    out += film.hasSamples ? "true" : "false";
    out += ",\n  \"integrityPassed\": ";
    if (film.type == FileType::Type50 && film.integrityPassed) {
        AppendInt(out, *film.integrityPassed);
    } else {
        out += "null";
    }
    out += ",\n  \"events\": [";
    if (film.hasSamples) {
        const std::vector<int> events = FindGEvents(film.samples, input.eventG);
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (i > 0) out += ", ";
            AppendInt(out, events[i]);
        }
    }
    out += "]";
    out += ",\n  \"samples\": [";
    for (std::size_t i = 0; i < film.samples.size(); ++i) {
        const DerivedSample& s = film.samples[i];
        out += i == 0 ? "\n    {\"index\": " : ",\n    {\"index\": ";
        AppendInt(out, i);
        out += ", \"fix\": ";
        out += s.fixValid ? "true" : "false";
        out += ", \"latitude\": ";
        if (s.fixValid)
            AppendJsonNumber(out, s.latitude);
        else
            out += "null";
        out += ", \"longitude\": ";
        if (s.fixValid)
            AppendJsonNumber(out, s.longitude);
        else
            out += "null";
        out += ", \"positionText\": ";
        AppendJsonString(out, s.positionText);
        out += ", \"speedKmh\": ";
        AppendJsonNumber(out, s.speedKmh);
        out += ", \"speedWholeKmh\": ";
        AppendInt(out, s.speedWholeKmh);
        out += ", \"course\": ";
        AppendJsonNumber(out, s.course);
        out += ", \"gsensor\": [";
        for (std::size_t a = 0; a < 3; ++a) {
            if (a > 0) out += ", ";
            AppendInt(out, s.gsensor[a]);
        }
        const auto [google, baidu] = MapTextsForGoogleAndBaidu(s);
        out += "], \"map\": {\"google\": [";
        AppendJsonString(out, google.longitude);
        out += ", ";
        AppendJsonString(out, google.latitude);
        out += "], \"baidu\": [";
        AppendJsonString(out, baidu.longitude);
        out += ", ";
        AppendJsonString(out, baidu.latitude);
        out += "]}}";
        doc.pieceDone();
    }
    out += film.samples.empty() ? "]\n}\n" : "\n  ]\n}\n";
}

void WriteCsv(const TrackExportInput& input, DocumentOut& doc) {
    const FilmSamples& film = *input.film;
    std::string& out = doc.text;
    out +=
        "index,fix,latitude,longitude,position_text,speed_kmh,speed_whole_kmh,course,"
        "gsensor_x,gsensor_y,gsensor_z,google_longitude,google_latitude,baidu_longitude,"
        "baidu_latitude,utc_time\n";
    for (std::size_t i = 0; i < film.samples.size(); ++i) {
        const DerivedSample& s = film.samples[i];
        AppendInt(out, i);
        out += s.fixValid ? ",1," : ",0,";
        if (s.fixValid) AppendCsvNumber(out, s.latitude);
        out += ',';
        if (s.fixValid) AppendCsvNumber(out, s.longitude);
        out += ',';
        AppendCsvField(out, s.positionText);
        out += ',';
        AppendCsvNumber(out, s.speedKmh);
        out += ',';
        AppendInt(out, s.speedWholeKmh);
        out += ',';
        AppendCsvNumber(out, s.course);
        for (const int32_t g : s.gsensor) {
            out += ',';
            AppendInt(out, g);
        }
        const GoogleBaiduTexts map = MapTextsForGoogleAndBaidu(s);
        for (const MapTexts* texts : {&map.google, &map.baidu}) {
            out += ',';
            out += texts->longitude;
            out += ',';
            out += texts->latitude;
        }
        out += ',';
        if (const auto t = TimeOfSample(input, i)) out += FormatUtcTime(*t);
        out += '\n';
        doc.pieceDone();
    }
}

void WriteGpx(const TrackExportInput& input, DocumentOut& doc) {
    const FilmSamples& film = *input.film;
    std::string& out = doc.text;
    out += kGpxHead;
    AppendXmlText(out, input.name);
    out += "</name>\n";
    for (const SampleRun& run : TrackRuns(film.samples)) {
        out += "    <trkseg>\n";
        for (std::size_t i = run.first; i <= run.last; ++i) {
            const DerivedSample& s = film.samples[i];
            out += "      <trkpt lat=\"";
            AppendDecimal(out, s.latitude);
            out += "\" lon=\"";
            AppendDecimal(out, s.longitude);
            if (const auto t = TimeOfSample(input, i)) {
                out += "\"><time>";
                out += FormatUtcTime(*t);
                out += "</time></trkpt>\n";
            } else {
                out += "\"/>\n";
            }
            doc.pieceDone();
        }
        out += "    </trkseg>\n";
    }
    out += "  </trk>\n</gpx>\n";
}

void WriteKml(const TrackExportInput& input, DocumentOut& doc) {
    const FilmSamples& film = *input.film;
    std::string& out = doc.text;
    out += kKmlHead;
    AppendXmlText(out, input.name);
    out += "</name>\n";
    std::size_t number = 0;
    for (const SampleRun& run : TrackRuns(film.samples)) {
        out += "    <Placemark>\n      <name>Segment ";
        AppendInt(out, ++number);
        out += "</name>\n";
        std::optional<UtcTime> begin;
        std::optional<UtcTime> end;
        for (std::size_t i = run.first; i <= run.last; ++i) {
            if (const auto t = TimeOfSample(input, i)) {
                if (!begin) begin = t;
                end = t;
            }
        }
        if (begin && run.first == run.last) {
            out += "      <TimeStamp><when>" + FormatUtcTime(*begin) + "</when></TimeStamp>\n";
        } else if (begin) {
            out += "      <TimeSpan><begin>" + FormatUtcTime(*begin) + "</begin><end>" +
                   FormatUtcTime(*end) + "</end></TimeSpan>\n";
        }
        // A line needs two points; a lone fix is a point of its own.
        out += run.first == run.last ? "      <Point><coordinates>"
                                     : "      <LineString><tessellate>1</tessellate><coordinates>";
        for (std::size_t i = run.first; i <= run.last; ++i) {
            if (i != run.first) out += ' ';
            AppendDecimal(out, film.samples[i].longitude);
            out += ',';
            AppendDecimal(out, film.samples[i].latitude);
            doc.pieceDone();
        }
        out += run.first == run.last ? "</coordinates></Point>\n" : "</coordinates></LineString>\n";
        out += "    </Placemark>\n";
    }
    out += "  </Document>\n</kml>\n";
}

void Write(ExportFormat format, const TrackExportInput& input, DocumentOut& doc) {
    switch (format) {
        case ExportFormat::Json:
            return WriteJson(input, doc);
        case ExportFormat::Csv:
            return WriteCsv(input, doc);
        case ExportFormat::Gpx:
            return WriteGpx(input, doc);
        case ExportFormat::Kml:
            return WriteKml(input, doc);
    }
}

std::string Whole(ExportFormat format, const TrackExportInput& input) {
    DocumentOut doc(nullptr);
    Write(format, input, doc);
    return std::move(doc.text);
}

}  // namespace

std::string ExportJson(const TrackExportInput& input) {
    return Whole(ExportFormat::Json, input);
}
std::string ExportCsv(const TrackExportInput& input) {
    return Whole(ExportFormat::Csv, input);
}
std::string ExportGpx(const TrackExportInput& input) {
    return Whole(ExportFormat::Gpx, input);
}
std::string ExportKml(const TrackExportInput& input) {
    return Whole(ExportFormat::Kml, input);
}
std::string ExportTrack(ExportFormat format, const TrackExportInput& input) {
    return Whole(format, input);
}

void ExportTrack(ExportFormat format, const TrackExportInput& input, const DocumentSink& sink) {
    DocumentOut doc(&sink);
    Write(format, input, doc);
    if (!doc.text.empty()) sink(doc.text);
}

}  // namespace tesmira
