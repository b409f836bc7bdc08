#pragma once
// One second of a drive as the track file gives it.

#include <cstdint>
#include <optional>
#include <string>

namespace tesmira::filmwriter {

struct TrackRow {
    char status = 'A';
    double latitude = 0;  // NMEA ddmm.mmmm
    char latHemisphere = 'N';
    double longitude = 0;  // NMEA dddmm.mmmm
    char lonHemisphere = 'E';
    double speedKmh = 0;  // stored as km/h in type-50 films, as knots in type-60 films
    double course = 0;
    int32_t day = 0;
    int32_t month = 0;
    int32_t year = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    uint32_t gsensorX = 0;  // raw 4-byte field values
    uint32_t gsensorY = 0;
    uint32_t gsensorZ = 0;
    // Overrides of the computed integrity fields (default "KVR" and the sums).
    std::optional<std::string> marker;
    std::optional<int32_t> timeSum;
    std::optional<int32_t> dateSum;
};

}  // namespace tesmira::filmwriter
