#include "playback/play_speeds.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace tesmira {

std::string SpeedText(double factor) {
    char text[32];
    std::snprintf(text, sizeof text, "%g\u00d7", factor);
    return text;
}

int PeriodAtSpeed(int periodMs, double factor) {
    if (periodMs <= 0 || !(factor > 0.0)) return periodMs;
    const double scaled = std::floor(periodMs / factor);
    if (scaled >= INT_MAX) return INT_MAX;
    return scaled < 1.0 ? 1 : static_cast<int>(scaled);
}

}  // namespace tesmira
