#pragma once
// Rewrites an ffmpeg-made film so that it carries one record per second:
// type 50 inside one-second sound chunks, type 60 in blocks listed by a
// "gps " box in "moov". Options shape the edge cases readers must survive.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "filmwriter/gpmf_encoder.h"
#include "filmwriter/track_row.h"

namespace tesmira::filmwriter {

struct FilmOptions {
    bool type50 = true;   // records at sound chunk offset + 65584
    bool type60 = false;  // records at "gps " entry position + 48
    // GoPro-style telemetry: a "gpmd" metadata track, one GPMF payload per row.
    std::optional<GpmfOptions> gpmf;
    bool moovFirst = false;
    bool co64 = false;
    bool twoSoundTracks =
        false;  // a plain copy of the sound track goes before the one with records
    bool trakWithoutMdia = false;
    bool emptySoundTable = false;  // the record-bearing sound track gets empty sample tables
    std::optional<uint32_t> soundChunkCount;  // written over the chunk table's entry count
    std::optional<uint32_t> gpsEntryCount;    // written over the "gps " box's entry count
    std::string gpsBoxType = "gps ";
    bool gpsBoxAfterMoov = false;  // the "gps " box goes to the top level behind "moov"
    bool freeBoxAfterMoov = false;
    uint8_t paddingByte = 0;
    std::optional<int64_t> creationUnix;  // written into "mvhd" (seconds since 1970, UTC)
    std::optional<uint64_t> truncateTo;
    uint64_t cutTail = 0;
};

struct RewriteResult {
    std::vector<uint8_t> film;
    std::size_t type50Records = 0;
    std::size_t type60Records = 0;
    std::size_t gpmfPayloads = 0;
    std::vector<std::string> warnings;
};

inline constexpr uint64_t kSoundRecordOffset = 65584;
inline constexpr uint64_t kGpsBlockRecordOffset = 48;

// Throws std::runtime_error when the input film cannot be rewritten.
RewriteResult RewriteFilm(const std::vector<uint8_t>& input, const std::vector<TrackRow>& rows,
                          const FilmOptions& options);

}  // namespace tesmira::filmwriter
