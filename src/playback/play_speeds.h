#pragma once
// The playback speeds the player offers, slowest first, and how one is written beside
// the time text and in the menu. Qt-free.

#include <cstddef>
#include <string>

namespace tesmira {

inline constexpr double kPlaySpeeds[] = {0.25, 0.5, 1.0, 1.5, 2.0, 4.0, 8.0, 16.0};
inline constexpr std::size_t kPlaySpeedCount = sizeof kPlaySpeeds / sizeof kPlaySpeeds[0];
inline constexpr std::size_t kNormalSpeed = 2;
static_assert(kPlaySpeeds[kNormalSpeed] == 1.0);

// One step slower or faster, staying at the ends of the list.
inline std::size_t SlowerSpeed(std::size_t index) {
    return index == 0 ? 0 : index - 1;
}
inline std::size_t FasterSpeed(std::size_t index) {
    return index + 1 < kPlaySpeedCount ? index + 1 : kPlaySpeedCount - 1;
}

// "0.25×", "2×": the shortest decimal text and the multiplication sign (UTF-8).
std::string SpeedText(double factor);

// A step period at a speed: the period shortened (or lengthened) by the factor, at least
// 1 ms for a period that had any length, so that a timer still steps.
int PeriodAtSpeed(int periodMs, double factor);

}  // namespace tesmira
