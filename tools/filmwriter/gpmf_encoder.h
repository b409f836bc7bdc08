#pragma once
// GoPro-style GPMF telemetry payloads, one per second of a track, for films
// with a "gpmd" metadata track.

#include <cstdint>
#include <string>
#include <vector>

#include "filmwriter/track_row.h"

namespace tesmira::filmwriter {

struct GpmfOptions {
    bool gps9 = false;    // GPS9 (with its own fix and time) instead of GPS5 + GPSF + GPSU
    int gpsRate = 18;     // GPS samples per payload
    int accelRate = 200;  // ACCL samples per payload; 0 leaves ACCL out
    bool withGps = true;  // false: ACCL only
    std::string deviceName = "HERO5 Black";  // DVNM
    std::string orin;   // ORIN, e.g. "YxZ"; empty: none, the order follows the camera name
    std::string model;  // camera model in the film's user data ("udta" GPMF MINF); empty: none
};

// The stored order of the three ACCL values: ORIN when given, else the data
// order GoPro publishes for the camera (model, else device name): HERO5 Z,X,Y;
// Fusion -Y,X,Z; any other Y,-X,Z. Lower case: negated.
std::string AccelOrder(const GpmfOptions& options);

// The content of the film's "udta" "GPMF" box naming the model.
std::vector<uint8_t> EncodeGpmfSettings(const GpmfOptions& options);

// One payload: DEVC { DVID, DVNM, STRM { GPS }, STRM { ACCL } }. The first GPS
// sample is the row's position and speed; later samples move on by the row's
// speed along its course. ACCL reads the row's G-sensor fields on the chart's
// old scale (256 = 0 g, 128 per g), stored in m/s² in AccelOrder's order.
std::vector<uint8_t> EncodeGpmfPayload(const TrackRow& row, const GpmfOptions& options);

}  // namespace tesmira::filmwriter
