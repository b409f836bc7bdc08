#pragma once
// Finding the embedded records of a film (type 50 in the sound track's chunks,
// type 60 listed in a "gps" box) and deciding whether the film has samples.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "extract/gps_record.h"

namespace tesmira {

// Both return true when an array was produced (count > 0).
bool LocateType50(const std::filesystem::path& film, std::vector<VIDEO_GPS_RECORD_T>& records);
bool LocateType60(const std::filesystem::path& film, std::vector<VIDEO_GPS_RECORD_T>& records);

// Shown to the user when a locator fails (UTF-8 text of the message box).
using LocatorMessageSink = std::function<void(const std::string& message)>;

// Where a film's samples came from: the two embedded record kinds, GoPro
// telemetry, or a GPS log beside the film.
enum class RecordSource { None, Type50, Type60, Gpmf, Gpx, Nmea };

// "type50", "type60", "gpmf", "gpx", "nmea"; empty for None.
std::string_view RecordSourceName(RecordSource source);

struct FilmSamples {
    FileType type = FileType::None;  // None for the sources other than type 50 and 60
    RecordSource source = RecordSource::None;
    bool hasSamples = false;
    std::optional<uint16_t> integrityPassed;  // type 50 only
    std::vector<DerivedSample> samples;       // every record the chosen locator returned
    std::vector<VIDEO_GPS_RECORD_T> records;  // those records as read, same order (time stamps)
};

FilmSamples LoadFilmSamples(const std::filesystem::path& film,
                            const LocatorMessageSink& showMessage);

// The two locators LoadFilmSamples tries, replaceable so that a failing
// locator (one that throws) can be exercised.
using RecordLocator =
    std::function<bool(const std::filesystem::path&, std::vector<VIDEO_GPS_RECORD_T>&)>;
struct FilmLocators {
    RecordLocator type50 = LocateType50;
    RecordLocator type60 = LocateType60;
    // Notes about a source that was used all the same (a GPS log that does not
    // overlap the film); standard error by default.
    LocatorMessageSink note = nullptr;
};

// Type 50, else type 60; only when neither gives records (or the type-50
// records are too few to pass), GoPro telemetry, then a .gpx, then a .nmea log
// beside the film.
FilmSamples LoadFilmSamples(const std::filesystem::path& film,
                            const LocatorMessageSink& showMessage, const FilmLocators& locators);

}  // namespace tesmira
