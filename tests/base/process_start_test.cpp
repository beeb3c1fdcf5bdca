// The process's start point: before anything the program initialises, and the kernel's record
// of it read as the latest moment it can have been.
#include "base/process_start.h"

#include <gtest/gtest.h>

#include <chrono>

namespace zarvo {
namespace {

using namespace std::chrono_literals;

// Taken while this program initialises its statics: after the process started.
const TMonotonicClock::time_point staticInitialisation = TMonotonicClock::now();

TEST(ProcessStartTime, ComesBeforeTheProgramInitialises) {
  const auto start = ProcessStartTime();
  EXPECT_LE(start, staticInitialisation);
  EXPECT_EQ(ProcessStartTime(), start);
  // Not a stale or empty stamp: this test program has not run for an hour.
  EXPECT_GT(start, TMonotonicClock::now() - 1h);
}

TEST(ProcessStartTime, KernelTicksGiveTheLatestPossibleStart) {
  const TMonotonicClock::time_point now{1000s};
  struct {
    int64_t StartTicks, TicksPerSecond;
    std::chrono::nanoseconds BootNow;
    TMonotonicClock::duration Before;  // how long before now the start lies at the latest
  } const cases[] = {
      {500, 100, 5s + 10ms, 0ms},  // started during the last tick: no earlier than now
      {500, 100, 5s + 5ms, 0ms},  {500, 100, 5s + 60ms, 50ms},
      {500, 100, 8s + 10ms, 3s},  {5000, 1000, 5s + 60ms, 59ms},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LatestStartFromTicks(c.StartTicks, c.TicksPerSecond, c.BootNow, now), now - c.Before)
        << c.StartTicks << " ticks at " << c.BootNow.count() << " ns";
}

}  // namespace
}  // namespace zarvo
