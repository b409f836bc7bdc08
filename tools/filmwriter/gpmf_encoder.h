#pragma once
// GoPro-style GPMF telemetry payloads, one per second of a track, for films
// with a "gpmd" metadata track.

#include <cstdint>
#include <vector>

#include "filmwriter/track_row.h"

namespace tesmira::filmwriter {

struct GpmfOptions {
    bool gps9 = false;    // GPS9 (with its own fix and time) instead of GPS5 + GPSF + GPSU
    int gpsRate = 18;     // GPS samples per payload
    int accelRate = 200;  // ACCL samples per payload; 0 leaves ACCL out
    bool withGps = true;  // false: ACCL only
};

// One payload: DEVC { DVID, DVNM, STRM { GPS }, STRM { ACCL } }. The first GPS
// sample is the row's position and speed; later samples move on by the row's
// speed along its course. ACCL reads the row's G-sensor fields on the chart's
// old scale (256 = 0 g, 128 per g), stored in m/s² in the order Z, X, Y.
std::vector<uint8_t> EncodeGpmfPayload(const TrackRow& row, const GpmfOptions& options);

}  // namespace tesmira::filmwriter
