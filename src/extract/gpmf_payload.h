#pragma once
// One payload of GoPro's GPMF telemetry (a sample of the "gpmd" metadata
// track, about one second): the first GPS sample with its fix and time, and
// the mean acceleration. Every length is checked against what is left of its
// parent; a damaged payload gives what its sound part holds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

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

GpmfPayload ReadGpmfPayload(const uint8_t* data, std::size_t size);

}  // namespace tesmira
