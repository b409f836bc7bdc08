#pragma once
// Real, playable test films with embedded records, made on demand by ffmpeg and
// tesmira-filmwriter and cached below the build tree (same options, same file).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "extract/gps_record.h"

namespace tesmira::testfilms {

// One row of the writer's track file: one record, one second.
struct TrackRow {
    char status = 'A';    // 'A' fix, 'V' none; any byte allowed ('\0' too)
    double latitude = 0;  // NMEA ddmm.mmmm
    char latHemisphere = 'N';
    double longitude = 0;  // NMEA dddmm.mmmm
    char lonHemisphere = 'E';
    double speedKmh = 0;  // type-60 films store speedKmh / 1.852 (knots)
    double course = 0;
    int32_t day = 8, month = 12, year = 2026;
    int32_t hour = 0, minute = 0, second = 0;
    uint32_t gsensorX = 256, gsensorY = 256, gsensorZ = 384;  // raw 4-byte field values
    std::optional<std::string> marker;                        // three characters; default "KVR"
    std::optional<int32_t> timeSum;                           // default hour + minute + second
    std::optional<int32_t> dateSum;                           // default day + month + year
};

enum class RecordPlacement {
    None,    // rewritten, no records
    Type50,  // in the sound track's one-second chunks (needs sound)
    Type60,  // in blocks listed by a "gps " box in moov
    Both,    // both of the above
    Gpmf,    // no records: a "gpmd" track with one GoPro-style GPMF payload per row
};

struct TestFilmOptions {
    RecordPlacement placement = RecordPlacement::Type50;
    double durationSeconds = 3.0;  // type 50 carries ceil(duration) records
    int width = 160;
    int height = 90;
    int frameRate = 10;
    bool audioOnly = false;
    bool withAudio = true;        // false: a video-only film (type 60 or none)
    int audioSampleRate = 48000;  // mono pcm_s16le
    // Records to write; default GenerateTrack(ceil(durationSeconds)).
    std::optional<std::vector<TrackRow>> rows;

    // Edge cases (see tesmira-filmwriter --help).
    bool moovFirst = false;
    bool co64 = false;
    bool twoSoundTracks = false;  // records in the second sound track only
    bool trakWithoutMdia = false;
    bool emptySoundTable = false;
    std::optional<uint32_t> soundChunkCount;  // damaged entry count of the sound chunk table
    std::optional<uint32_t> gpsEntryCount;    // damaged entry count of the "gps " box
    std::string gpsBoxType = "gps ";
    bool gpsBoxAfterMoov = false;
    bool freeBoxAfterMoov = false;
    uint8_t paddingByte = 0;
    std::optional<uint64_t> truncateTo;   // keep only the first N bytes
    uint64_t cutTail = 0;                 // drop the last N bytes
    std::optional<int64_t> creationUnix;  // the movie header's creation time (UTC)
    bool gpmfGps9 = false;                // GPS9 instead of GPS5 in the GPMF payloads
    std::string gpmfDeviceName;           // DVNM; empty: the writer's default
    std::string gpmfOrin;                 // ORIN; empty: none
    std::string gpmfModel;                // camera model in the film's user data; empty: none
};

// Makes (or finds in the cache) the film; throws std::runtime_error on failure.
std::filesystem::path MakeTestFilm(const TestFilmOptions& options);

// A plausible drive through Shenzhen Futian, one row per second from 08:30:00,
// with fix throughout. Deterministic.
std::vector<TrackRow> GenerateTrack(std::size_t count);

// The rows as the writer's track file.
std::string TrackCsv(const std::vector<TrackRow>& rows);

// The record a reader should decode from a row written into a film of this type.
VIDEO_GPS_RECORD_T ExpectedRecord(const TrackRow& row, FileType type);

// Records a type-50 film made with these options carries (one per started second).
std::size_t Type50RecordCount(const TestFilmOptions& options);

// The ffmpeg-made film MakeTestFilm starts from (video and/or sound as the options say).
std::filesystem::path MakeSourceFilm(const TestFilmOptions& options);

// Empty when the two records are equal field by field, else a description of the first difference.
std::string RecordDifference(const VIDEO_GPS_RECORD_T& actual, const VIDEO_GPS_RECORD_T& expected);

// MD5 of the decoded stream ("a" sound, "v" picture), as ffmpeg's md5 muxer prints it; empty on
// failure.
std::string DecodedMd5(const std::filesystem::path& film, const std::string& stream);

// True when `ffmpeg -v error -i film -f null -` succeeds and prints nothing.
bool FfmpegDecodesCleanly(const std::filesystem::path& film, std::string* errors = nullptr);

// Where films are cached.
std::filesystem::path TestFilmDirectory();

}  // namespace tesmira::testfilms
