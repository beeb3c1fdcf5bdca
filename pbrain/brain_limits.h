// The time limits a manager sends with INFO, and the thinking time of one move they allow.
#pragma once

#include <cstdint>
#include <optional>

namespace zarvo {

// A per-move limit when the manager names none: the one hour Zarvo2 takes without a time file.
inline constexpr int64_t kDefaultTurnLimitMs = 3'600'000;
// time_left and timeout_match use this value for "no limit".
inline constexpr int64_t kUnlimitedMs = 2'147'483'647;

struct TBrainLimits {
  std::optional<int64_t> TimeoutTurnMs;   // per move; 0 = play at once
  std::optional<int64_t> TimeoutMatchMs;  // per game; 0 = unlimited
  std::optional<int64_t> TimeLeftMs;      // left in this game; may be negative
};

// What is left of the game's time: time_left, else timeout_match; nothing when neither is known
// or the match is unlimited (timeout_match 0).
std::optional<int64_t> GameTimeLeftMs(const TBrainLimits& limits);

// The budget of one move, by the rule of the time file: max(0, min(left / 3, turn limit)),
// where left is time_left (timeout_match before the first time_left of a game, unlimited when
// neither is known or the match is unlimited) and the turn limit is timeout_turn or one hour.
int64_t MoveBudgetMs(const TBrainLimits& limits);

}  // namespace zarvo
