// The move's one wall-clock budget and the cheap check that the searches ask.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace zarvo {

// Elapsed time is measured on a monotonic clock, so a wall-clock jump neither cuts the thinking
// time short nor lets it run over.
using TMonotonicClock = std::chrono::steady_clock;

inline constexpr std::chrono::milliseconds kDefaultTimeBudget = std::chrono::hours(1);

struct TTimeControl {
  TMonotonicClock::time_point StartTime = TMonotonicClock::now();
  std::chrono::milliseconds TimeBudget = kDefaultTimeBudget;
  bool TimeUpFlag = false;
  // Starts at a multiple of 100 so the very first check reads the clock; 64 bits because a long
  // search can make more than 2^31 checks.
  int64_t TimeCheckCounter = 10000;
  std::function<TMonotonicClock::time_point()> Clock = [] { return TMonotonicClock::now(); };

  // True once the time since StartTime exceeds TimeBudget; the clock is read on every hundredth
  // call only, and once true the answer stays true.
  bool TimeIsUp();

  // Time since StartTime, by the injected clock.
  TMonotonicClock::duration Elapsed() const { return Clock() - StartTime; }
};

}  // namespace zarvo
