#pragma once
// One payload of GoPro's GPMF telemetry (a sample of the "gpmd" metadata
// track, about one second): the first GPS sample with its fix and time, and
// the mean acceleration. Every length is checked against what is left of its
// parent; a damaged payload gives what its sound part holds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tesmira {

struct GpmfTime {
    int year = 0;  // four digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct GpmfPayload {
    bool hasGps = false;
    bool fix = false;     // GPSF (or the GPS9 fix field) 2 or 3
    double latitude = 0;  // degrees, from GPS5 or GPS9 over SCAL
    double longitude = 0;
    double speed2d = 0;  // m/s
    std::optional<GpmfTime> time;
    bool hasAccel = false;
    std::array<double, 3> accelG{};  // mean, camera x, y, z, in g
};

// filmModel: the camera model the film names outside its telemetry (empty
// when it names none); it decides the accelerometer's axis order when the
// payload has no ORIN, before the payload's own MINF or DVNM.
GpmfPayload ReadGpmfPayload(const uint8_t* data, std::size_t size, std::string_view filmModel = {});

// The stored order of ACCL's three values for a camera name, as ORIN writes
// it ("ZXY": camera Z, X, Y; lower case: negated): "ZXY" for a HERO5, "yXZ"
// for a Fusion, "YxZ" for any other (HERO6 and later).
std::string_view GpmfAccelOrder(std::string_view camera);

// The model (MINF) in a block of GPMF global settings, such as the "GPMF"
// box of a film's user data; empty without one.
std::string ReadGpmfModel(const uint8_t* data, std::size_t size);

}  // namespace tesmira
