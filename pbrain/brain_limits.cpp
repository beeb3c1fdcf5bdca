#include "pbrain/brain_limits.h"

#include <algorithm>

#include "driver/engine_config.h"

namespace zarvo {

std::optional<int64_t> GameTimeLeftMs(const TBrainLimits& limits) {
  const bool matchUnlimited = limits.TimeoutMatchMs && *limits.TimeoutMatchMs == 0;
  if (matchUnlimited) return std::nullopt;
  return limits.TimeLeftMs ? limits.TimeLeftMs : limits.TimeoutMatchMs;
}

int64_t MoveBudgetMs(const TBrainLimits& limits) {
  const int64_t leftMs = GameTimeLeftMs(limits).value_or(kUnlimitedMs);
  // The time file's amount is 32 bits; 2147483647 already stands for "unlimited", and a third
  // of it is far above any turn limit that matters.
  const auto amountMs = static_cast<int32_t>(std::clamp<int64_t>(leftMs, INT32_MIN, kUnlimitedMs));
  return BudgetMs(amountMs, limits.TimeoutTurnMs.value_or(kDefaultTurnLimitMs));
}

}  // namespace zarvo
