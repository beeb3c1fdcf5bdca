// How long one move may think: a soft limit (no new iteration after it is unlikely to finish)
// and a hard limit (the running iteration is abandoned), from the limits a manager sets.
#pragma once

#include <cstdint>
#include <optional>

namespace zarvo::deep {

struct TTimeSettings {
  std::optional<int64_t> TurnMs;  // per move; none: kDefaultTurnMs
  std::optional<int64_t> LeftMs;  // left for the rest of the game; none: unlimited
  int StonesOnBoard = 0;
  int64_t ReserveMs = 0;  // kept back for starting up, writing the answer and ending
};

struct TThinkingTime {
  int64_t SoftMs = 0;
  int64_t HardMs = 0;
};

// A move's limit when the manager sets none.
inline constexpr int64_t kDefaultTurnMs = 5000;

// The game's time is spread over the moves still to come: a game of this kind rarely lasts
// more than about 30 moves a side beyond the stones already placed, and no move takes more
// than a quarter of what is left.
TThinkingTime PlanThinkingTime(const TTimeSettings& settings);

}  // namespace zarvo::deep
