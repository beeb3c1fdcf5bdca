#include "base/time_control.h"

#include <gtest/gtest.h>

#include <vector>

namespace zarvo {
namespace {

using namespace std::chrono_literals;

// A clock that stands still at a chosen time and counts how often it is read.
struct TFakeClock {
  TMonotonicClock::time_point Now{};
  int Reads = 0;
};

TTimeControl ControlOn(TFakeClock& clock, std::chrono::milliseconds budget) {
  TTimeControl control;
  control.StartTime = clock.Now;
  control.TimeBudget = budget;
  control.Clock = [&clock] {
    ++clock.Reads;
    return clock.Now;
  };
  return control;
}

TEST(TimeIsUp, ReadsTheClockOnCallsOneHundredOneAndTwoHundredOne) {
  TFakeClock clock;
  TTimeControl control = ControlOn(clock, kDefaultTimeBudget);
  std::vector<int> readingCalls;
  for (int call = 1; call <= 250; ++call) {
    const int before = clock.Reads;
    EXPECT_FALSE(control.TimeIsUp());
    if (clock.Reads != before) readingCalls.push_back(call);
    clock.Now += 1s;
  }
  EXPECT_EQ(readingCalls, (std::vector<int>{1, 101, 201}));
}

// Budget 0: the first read that finds the clock past the start answers true, and the answer stays
// true without further reads, even if the clock were to stand at the start again.
TEST(TimeIsUp, ZeroBudgetTripsOnTheFirstReadPastTheStartAndStaysTrue) {
  TFakeClock clock;
  TTimeControl control = ControlOn(clock, 0ms);
  EXPECT_FALSE(control.TimeIsUp());  // call 1 reads the clock: not advanced
  clock.Now += 1ns;
  for (int call = 2; call <= 100; ++call) EXPECT_FALSE(control.TimeIsUp()) << call;
  EXPECT_TRUE(control.TimeIsUp());  // call 101 reads it again
  EXPECT_EQ(clock.Reads, 2);
  clock.Now = control.StartTime;
  for (int call = 102; call <= 400; ++call) EXPECT_TRUE(control.TimeIsUp()) << call;
  EXPECT_EQ(clock.Reads, 2);
  EXPECT_TRUE(control.TimeUpFlag);
}

// The budget must be exceeded, not reached.
TEST(TimeIsUp, ElapsedEqualToTheBudgetIsNotYetUp) {
  TFakeClock clock;
  TTimeControl control = ControlOn(clock, 24h);
  clock.Now += std::chrono::duration_cast<TMonotonicClock::duration>(24h);
  EXPECT_FALSE(control.TimeIsUp());
  clock.Now += 1s;
  for (int call = 2; call <= 100; ++call) EXPECT_FALSE(control.TimeIsUp());
  EXPECT_TRUE(control.TimeIsUp());
}

}  // namespace
}  // namespace zarvo
