// The longest wait between two looks at the clock. On a busy machine another program holds the
// processor now and then for tens of milliseconds; a search that has seen such a wait stops
// early enough for one more to fall between its stop and its answer.
#pragma once

#include <algorithm>
#include <chrono>

namespace zarvo::deep {

class TPauseWatch {
 public:
  using TClock = std::chrono::steady_clock;

  // A new move: the longest wait of the moves before counts half, as the machine may have become
  // quieter; the looks start at `now`.
  void NewMove(TClock::time_point now) {
    longest_ /= 2;
    last_ = now;
  }
  // Looks at the clock after work of its own, which ran from `now` only (the root's solvers).
  void Resume(TClock::time_point now) { last_ = now; }
  void Look(TClock::time_point now) {
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }
  TClock::duration Longest() const { return longest_; }

 private:
  TClock::duration longest_{0};
  TClock::time_point last_{};
};

}  // namespace zarvo::deep
