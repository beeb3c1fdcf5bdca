// "TimeOuts.dat" with any content: the numbers read give a budget and a depth in range.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "deep/time_manager.h"
#include "driver/engine_config.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zarvo;
  std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
  const auto [seconds, amountMs] = ReadTimeOutsFrom(file);

  // The limit in 64 bits, as the engine forms it.
  const int64_t limitMs = int64_t{seconds} * 1000;
  const int64_t budgetMs = deep::TimeFileBudgetMs(amountMs, limitMs);
  FUZZ_CHECK(budgetMs >= 0, "budget %lld", static_cast<long long>(budgetMs));
  // Never more than a third of the amount (rounded) nor more than the limit.
  FUZZ_CHECK(budgetMs <= std::max<int64_t>(int64_t{amountMs} / 3 + 1, 0),
             "budget %lld for amount %d", static_cast<long long>(budgetMs), amountMs);
  FUZZ_CHECK(budgetMs <= std::max<int64_t>(limitMs, 0), "budget %lld for limit %lld",
             static_cast<long long>(budgetMs), static_cast<long long>(limitMs));

  TEngineState state;
  SetTimeBudget(state, amountMs, limitMs);
  const int32_t depth = state.MaxDepth;
  FUZZ_CHECK(depth == 0 || depth == 1 || depth == 3 || depth == 5 || depth == 7 || depth == 9,
             "depth %d", depth);
  FUZZ_CHECK(state.Time.TimeBudget.count() == budgetMs, "budget %lld ms, set %lld ms",
             static_cast<long long>(state.Time.TimeBudget.count()),
             static_cast<long long>(budgetMs));
  return 0;
}
