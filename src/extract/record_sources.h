#pragma once
// Record sources for films without embedded records: GoPro GPMF telemetry in
// the film's "gpmd" track, and a GPS log (.gpx or .nmea) beside the film. Each
// gives one derived sample per second, like the embedded records do.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "extract/gps_record.h"

namespace tesmira {

struct SourceSamples {
    std::vector<DerivedSample> samples;
    // Per sample: status 'A'/'V' and the UTC date and time when known (zero
    // otherwise); the other fields stay zero.
    std::vector<VIDEO_GPS_RECORD_T> records;
};

// One record per "gpmd" payload; none when the film has no such track.
std::optional<SourceSamples> LoadGpmfSource(const std::filesystem::path& film);

// One point of a GPS log.
struct LogPoint {
    double time = 0;  // seconds since 1970-01-01 UTC
    bool fix = true;
    double latitude = 0;
    double longitude = 0;
    double speedKmh = -1;  // negative: the log does not say
    double course = -1;    // negative: the log does not say
};

// Track points with a time; points without one, or with a damaged position,
// are skipped. Sorted by time.
std::vector<LogPoint> ParseGpx(std::string_view text);
// RMC sentences with a good checksum, GGA giving the fix quality of the RMC
// of the same time. Sorted by time.
std::vector<LogPoint> ParseNmea(std::string_view text);

enum class LogKind { Gpx, Nmea };
// A file beside the film with the film's base name and the ending .gpx or
// .nmea, both compared without regard to case.
std::optional<std::filesystem::path> FindLogBeside(const std::filesystem::path& film, LogKind kind);

// One sample per second from filmStart; positions interpolated between the
// points, seconds outside the log without fix. A log that does not overlap
// the film at all is taken from its first point, and note() says so.
SourceSamples SamplesFromLog(const std::vector<LogPoint>& points, double filmStart,
                             std::size_t seconds,
                             const std::function<void(const std::string&)>& note);

// Seconds since 1970 for a UTC civil date and time (proleptic Gregorian).
double UnixTime(int year, int month, int day, int hour, int minute, double second);

// Courses for samples that have none of their own: the bearing to the next
// fix; the last fix, and a fix that has not moved, repeat the one before.
void CoursesFromPositions(std::vector<DecimalFix>& fixes, const std::vector<bool>& needsCourse);

}  // namespace tesmira
