// Where PgDn and PgUp land within one film's events.

#include "mainwnd/event_jump.h"

#include <gtest/gtest.h>

namespace tesmira {
namespace {

TEST(EventJump, LandsThreeSecondsBeforeTheNextOrPreviousEvent) {
    const std::vector<int> events = {2, 10, 30};
    const struct {
        double position;
        int direction;
        std::optional<double> landing;
    } cases[] = {
        {0.0, +1, 7.0},            // 2 lands at 0, where the film is: 10 is next
        {6.5, +1, 7.0},            // before a landing
        {7.0, +1, 27.0},           // at a landing: that event is reached
        {7.2, +1, 27.0},           // reported a little late
        {27.0, +1, std::nullopt},  // none after the last
        {28.5, -1, 27.0},          // more than a second past a landing: replay it
        {27.5, -1, 7.0},           // just after a landing: the event before
        {7.5, -1, 0.0},            // to the first, clamped at 0
        {0.5, -1, std::nullopt},   // none before the first
        {12.0, 0, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EventJump(events, c.position, c.direction), c.landing)
            << c.position << " " << c.direction;
    EXPECT_EQ(EventJump({}, 5.0, +1), std::nullopt);
}

}  // namespace
}  // namespace tesmira
