#include "instruments/dial_replay.h"

#include <gtest/gtest.h>

namespace tesmira {
namespace {

TEST(DialReplay, StartsEmptyAndInactive) {
    DialReplay r;
    EXPECT_EQ(r.ValueCount(), 0u);
    EXPECT_EQ(r.Position(), 0);
    EXPECT_FALSE(r.Active());
}

TEST(DialReplay, StartAtActivatesAndAsksForTheTimerOnlyWithAPeriod) {
    DialReplay r;
    r.AddValue(1.0);
    EXPECT_FALSE(r.StartAt(4));  // period 0: no timer
    EXPECT_TRUE(r.Active());
    EXPECT_EQ(r.Position(), 4);
    r.SetPeriod(1000);
    EXPECT_TRUE(r.StartAt(0));
    EXPECT_EQ(r.Position(), 0);
    r.SetPeriod(-5);
    EXPECT_FALSE(r.StartAt(0));
}

TEST(DialReplay, TicksOneSampleAtATimeAndStopsAtTheEnd) {
    DialReplay r;
    r.AddValue(5.0);
    r.AddValue(6.0);
    r.AddValue(7.0);
    r.SetPeriod(100);
    r.StartAt(1);
    EXPECT_TRUE(r.Tick());
    EXPECT_EQ(r.Position(), 2);
    EXPECT_TRUE(r.Tick());
    EXPECT_EQ(r.Position(), 3);
    // Position equals the number of values: the next tick stops and does not move it.
    EXPECT_FALSE(r.Tick());
    EXPECT_EQ(r.Position(), 3);
    EXPECT_FALSE(r.Tick());
    EXPECT_EQ(r.Position(), 3);
    EXPECT_TRUE(r.Active());  // the needle stays on the last sample
}

TEST(DialReplay, StartBeyondTheEndOrBeforeZeroStopsAtOnce) {
    DialReplay r;
    r.AddValue(1.0);
    r.StartAt(7);
    EXPECT_FALSE(r.Tick());
    EXPECT_EQ(r.Position(), 7);
    r.StartAt(-2);  // compared as unsigned: huge, so past the end
    EXPECT_FALSE(r.Tick());
    EXPECT_EQ(r.Position(), -2);
}

TEST(DialReplay, ClearValuesOnlyActsWhenThereAreValues) {
    DialReplay r;
    r.StartAt(0);
    EXPECT_FALSE(r.ClearValues());
    EXPECT_TRUE(r.Active());  // nothing done at all without values

    r.AddValue(1.0);
    r.AddValue(2.0);
    r.StartAt(1);
    EXPECT_TRUE(r.ClearValues());
    EXPECT_FALSE(r.Active());
    EXPECT_EQ(r.ValueCount(), 0u);
}

TEST(DialReplay, HaltHidesButKeepsPositionAndValues) {
    DialReplay r;
    r.AddValue(1.0);
    r.AddValue(2.0);
    r.StartAt(2);
    r.Halt();
    EXPECT_FALSE(r.Active());
    EXPECT_EQ(r.Position(), 2);
    EXPECT_EQ(r.ValueCount(), 2u);
    EXPECT_DOUBLE_EQ(r.WithValues([](const std::vector<double>& v) { return v[1]; }), 2.0);
}

TEST(DialReplay, SetPositionMovesOnlyThePosition) {
    DialReplay r;
    r.AddValue(1.0);
    r.AddValue(2.0);
    r.SetPosition(2);
    EXPECT_FALSE(r.Active());  // not activated
    EXPECT_EQ(r.Position(), 2);
    EXPECT_FALSE(r.Tick());  // the next tick sees the new position
    r.SetPosition(0);
    EXPECT_TRUE(r.Tick());
    EXPECT_EQ(r.Position(), 1);
}

}  // namespace
}  // namespace tesmira
