#include "deep/time_manager.h"

#include <algorithm>

namespace zarvo::deep {

TThinkingTime PlanThinkingTime(const TTimeSettings& settings) {
  const int64_t turn = std::max<int64_t>(0, settings.TurnMs.value_or(kDefaultTurnMs));
  // A margin inside the turn limit for the answer's way to the manager on a busy machine.
  int64_t hard = turn - std::min<int64_t>(50, turn / 8) - settings.ReserveMs;
  int64_t soft = hard;
  if (settings.LeftMs) {
    const int64_t left = std::max<int64_t>(0, *settings.LeftMs - settings.ReserveMs);
    const int64_t movesToCome = std::max(10, 30 - settings.StonesOnBoard / 4);
    soft = std::min(soft, left / movesToCome);
    hard = std::min(hard, left / 4);
  }
  hard = std::max<int64_t>(0, hard);
  soft = std::clamp<int64_t>(soft, 0, hard);
  return {soft, hard};
}

}  // namespace zarvo::deep
