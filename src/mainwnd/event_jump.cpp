#include "mainwnd/event_jump.h"

#include <algorithm>

namespace tesmira {
namespace {

// A jump lands exactly, yet the film reports its position a frame or a refresh later.
constexpr double kAheadSlack = 0.25;
constexpr double kBehindSlack = 1.0;

}  // namespace

double EventLanding(int eventSecond) {
    return std::max(0.0, eventSecond - kEventLeadSeconds);
}

std::optional<double> EventJump(const std::vector<int>& events, double position, int direction) {
    if (direction > 0) {
        for (int event : events)
            if (EventLanding(event) > position + kAheadSlack) return EventLanding(event);
    } else if (direction < 0) {
        for (auto it = events.rbegin(); it != events.rend(); ++it)
            if (EventLanding(*it) < position - kBehindSlack) return EventLanding(*it);
    }
    return std::nullopt;
}

}  // namespace tesmira
