#pragma once
// Where PgDn and PgUp take the film: a little before the next or previous G-sensor
// event, so that the moment is seen coming. Qt-free.

#include <optional>
#include <vector>

namespace tesmira {

// Seconds played before an event.
constexpr double kEventLeadSeconds = 3.0;

// The second an event is played from: kEventLeadSeconds before it, never before 0.
double EventLanding(int eventSecond);

// From `position` (seconds), the landing of the first event ahead (direction > 0) or
// of the last one behind (direction < 0), among ascending `events`; none when there is
// none that way. An event whose landing is where the film is counts as reached: ahead
// means past it, behind means more than a second back, so that PgUp pressed just after a
// jump goes on to the event before.
std::optional<double> EventJump(const std::vector<int>& events, double position, int direction);

}  // namespace tesmira
