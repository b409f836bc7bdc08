#include "instruments/needle_frame.h"

#include <cmath>

namespace tesmira {
namespace {

constexpr double kMphPerKmh = 0.6213712;

// floor(v) mod 360 into 0..359. Values come from film data, so a NaN or an infinity
// must not reach an int conversion (undefined behaviour); they leave the needle at rest,
// and a negative value wraps like an angle instead of indexing below frame 0.
int WrapDegrees(double v) {
    if (!std::isfinite(v)) return 0;
    double k = std::fmod(std::floor(v), 360.0);
    if (k < 0) k += 360.0;
    return static_cast<int>(k);
}

// Whether the rest frame, no needle or the value at position - 1 is on show.
enum class Pick { Rest, None, Value };

Pick PickSample(const std::vector<double>& values, int position) {
    if (values.empty() || position == 0) return Pick::Rest;
    // A negative start is as far from any sample as one past the end.
    if (position < 0 || static_cast<std::size_t>(position) > values.size()) return Pick::None;
    return Pick::Value;
}

}  // namespace

int SpeedNeedleFrame(const std::vector<double>& values, int position, std::string_view unit) {
    switch (PickSample(values, position)) {
        case Pick::Rest:
            return 0;
        case Pick::None:
            return kNoNeedle;
        case Pick::Value:
            break;
    }
    double v = values[static_cast<std::size_t>(position) - 1];
    if (unit == "MPH") v *= kMphPerKmh;
    return WrapDegrees(v);
}

int CompassNeedleFrame(const std::vector<double>& values, int position) {
    switch (PickSample(values, position)) {
        case Pick::Rest:
            return 0;
        case Pick::None:
            return kNoNeedle;
        case Pick::Value:
            break;
    }
    double h = values[static_cast<std::size_t>(position) - 1];
    if (!std::isfinite(h)) return 0;
    return WrapDegrees(std::floor(h) + 180.0);
}

std::string SpeedUnitText(std::string_view unit) {
    if (unit == "KMH") return "km/h";
    if (unit == "MPH") return "M/h";
    return {};
}

}  // namespace tesmira
