#include "extract/film_samples.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <utility>

#include "extract/movie_header.h"
#include "extract/record_sources.h"

namespace tesmira {

namespace {

constexpr const char* kType50Failed = "提取50定位信息失败！";
constexpr const char* kType60Failed = "提取60定位信息失败！";

// A locator that throws (memory exhausted, for instance) counts as having
// found nothing; the user is told which one failed.
bool runLocator(const RecordLocator& locate, const std::filesystem::path& film,
                std::vector<VIDEO_GPS_RECORD_T>& records, const LocatorMessageSink& showMessage,
                const char* failure) {
    records.clear();
    try {
        if (locate(film, records)) return !records.empty();
    } catch (...) {
        if (showMessage) showMessage(failure);
    }
    records.clear();
    return false;
}

// A log larger than this is not a drive's log; it is not read.
constexpr std::uintmax_t kMaxLogBytes = 256u << 20;
// A damaged movie header must not ask for years of samples.
constexpr double kMaxLogSeconds = 7 * 86400.0;

FilmSamples fromSource(RecordSource source, SourceSamples&& s) {
    FilmSamples result;
    result.source = source;
    result.hasSamples = !s.samples.empty();
    result.samples = std::move(s.samples);
    result.records = std::move(s.records);
    return result;
}

std::optional<SourceSamples> logSource(const std::filesystem::path& film, LogKind kind,
                                       const LocatorMessageSink& note) {
    const auto log = FindLogBeside(film, kind);
    if (!log) return std::nullopt;
    std::error_code ec;
    const auto size = std::filesystem::file_size(*log, ec);
    if (ec || size > kMaxLogBytes) return std::nullopt;
    std::ifstream in(*log, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string content = text.str();
    const auto points = kind == LogKind::Gpx ? ParseGpx(content) : ParseNmea(content);
    const auto header = ReadMovieHeader(film);
    if (points.empty() || !header) return std::nullopt;
    // One sample for every started second of the film.
    const double seconds = std::ceil(std::min(header->durationSeconds.value_or(0.0), kMaxLogSeconds));
    if (!(seconds >= 1)) return std::nullopt;
    auto samples = SamplesFromLog(points, static_cast<double>(header->creationUnix),
                                  static_cast<std::size_t>(seconds), [&](const std::string& m) {
                                      if (note) note(log->filename().string() + ": " + m);
                                  });
    if (samples.samples.empty()) return std::nullopt;
    return samples;
}

// The sources behind the embedded kinds, in a fixed order.
std::optional<FilmSamples> otherSources(const std::filesystem::path& film,
                                        const FilmLocators& locators) {
    if (auto gpmf = LoadGpmfSource(film)) return fromSource(RecordSource::Gpmf, std::move(*gpmf));
    const LocatorMessageSink note = locators.note ? locators.note : [](const std::string& m) {
        std::fprintf(stderr, "tesmira: note: %s\n", m.c_str());
    };
    if (auto gpx = logSource(film, LogKind::Gpx, note)) {
        return fromSource(RecordSource::Gpx, std::move(*gpx));
    }
    if (auto nmea = logSource(film, LogKind::Nmea, note)) {
        return fromSource(RecordSource::Nmea, std::move(*nmea));
    }
    return std::nullopt;
}

}  // namespace

std::string_view RecordSourceName(RecordSource source) {
    switch (source) {
        case RecordSource::Type50:
            return "type50";
        case RecordSource::Type60:
            return "type60";
        case RecordSource::Gpmf:
            return "gpmf";
        case RecordSource::Gpx:
            return "gpx";
        case RecordSource::Nmea:
            return "nmea";
        case RecordSource::None:
            break;
    }
    return {};
}

FilmSamples LoadFilmSamples(const std::filesystem::path& film,
                            const LocatorMessageSink& showMessage) {
    return LoadFilmSamples(film, showMessage, FilmLocators{});
}

FilmSamples LoadFilmSamples(const std::filesystem::path& film,
                            const LocatorMessageSink& showMessage, const FilmLocators& locators) {
    FilmSamples result;
    std::vector<VIDEO_GPS_RECORD_T> records;

    // Only an upper-case status in the first record marks a type-50 film.
    if (runLocator(locators.type50, film, records, showMessage, kType50Failed) &&
        (records.front().status == 'A' || records.front().status == 'V')) {
        result.type = FileType::Type50;
        result.source = RecordSource::Type50;
        uint16_t passed = 0;
        result.samples.reserve(records.size());
        for (const auto& record : records) {
            result.samples.push_back(DeriveSample(record, FileType::Type50));
            // Saturating: a film with 65536 good records must not count as having none.
            if (PassesIntegrityCheck(record) && passed < std::numeric_limits<uint16_t>::max()) {
                ++passed;
            }
        }
        result.integrityPassed = passed;
        result.hasSamples = passed >= 3;
        result.records = std::move(records);
        // Sound that merely looks like a type-50 record (a GoPro film's, say)
        // must not hide the film's own telemetry or log; type 60 stays untried.
        if (!result.hasSamples) {
            if (auto other = otherSources(film, locators)) return std::move(*other);
        }
        return result;
    }

    if (runLocator(locators.type60, film, records, showMessage, kType60Failed)) {
        result.type = FileType::Type60;
        result.source = RecordSource::Type60;
        result.hasSamples = true;
        result.samples.reserve(records.size());
        for (const auto& record : records) {
            result.samples.push_back(DeriveSample(record, FileType::Type60));
        }
        result.records = std::move(records);
        return result;
    }

    // Neither embedded kind: the other sources, in a fixed order.
    if (auto other = otherSources(film, locators)) return std::move(*other);
    return result;
}

}  // namespace tesmira
