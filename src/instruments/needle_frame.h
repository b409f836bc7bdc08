#pragma once
// Which of the 360 needle pictures a dial shows, and the speedometer's unit text.

#include <string>
#include <string_view>
#include <vector>

namespace tesmira {

// Returned when the needle is not drawn at all (replay position past the last value).
inline constexpr int kNoNeedle = -1;

// Frame k shows the needle turned k degrees clockwise from its rest position.
// position counts the samples replayed; the sample on show is values[position - 1].
// With unit "MPH" the needle is scaled from km/h to mph; any other unit reads as km/h.
int SpeedNeedleFrame(const std::vector<double>& values, int position, std::string_view unit);

// The compass frame whose red end points along the course (degrees clockwise from north).
int CompassNeedleFrame(const std::vector<double>& values, int position);

// "km/h" for "KMH", "M/h" for "MPH", empty (nothing written) for any other unit value.
std::string SpeedUnitText(std::string_view unit);

}  // namespace tesmira
