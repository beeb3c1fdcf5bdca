#include "pbrain/brain_limits.h"

#include <algorithm>

#include "driver/engine_config.h"

namespace zarvo {

int64_t MoveBudgetMs(const TBrainLimits& limits) {
  int64_t leftMs = kUnlimitedMs;
  const bool matchUnlimited = limits.TimeoutMatchMs && *limits.TimeoutMatchMs == 0;
  if (!matchUnlimited) {
    if (limits.TimeLeftMs)
      leftMs = *limits.TimeLeftMs;
    else if (limits.TimeoutMatchMs)
      leftMs = *limits.TimeoutMatchMs;
  }
  // The time file's amount is 32 bits; 2147483647 already stands for "unlimited", and a third
  // of it is far above any turn limit that matters.
  const auto amountMs = static_cast<int32_t>(std::clamp<int64_t>(leftMs, INT32_MIN, kUnlimitedMs));
  return BudgetMs(amountMs, limits.TimeoutTurnMs.value_or(kDefaultTurnLimitMs));
}

}  // namespace zarvo
