// Start-up settings of one move: the random seed, the book base name, the time limits.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "select/engine_state.h"

namespace zarvo {

// Base of the opening-book file names: the program path up to its first "." (directories
// included), or "Zarvo" when the path has no "."; the "." and ".." of a relative path do not
// count.
std::string ExeBaseNameOf(std::string_view programPath);

// Depth limit for a budget in milliseconds.
int32_t MaxDepthForBudget(int64_t budgetMs);

// Sets TimeBudget and MaxDepth for a budget in milliseconds.
void SetBudgetMs(TEngineState& state, int64_t budgetMs);

// Sets TimeBudget and MaxDepth from the time amount b (ms, a third of it allowed) and the limit
// m (ms).
void SetTimeBudget(TEngineState& state, int32_t amountMs, int64_t limitMs);

// The two numbers of a time file, seconds then milliseconds; a missing or bad line counts as -1.
std::pair<int32_t, int32_t> ReadTimeOutsFrom(std::istream& in);

// Reads "TimeOuts.dat" (line 1 seconds, line 2 milliseconds; a bad line counts as -1); keeps the
// defaults when the file is absent or cannot be opened.
void ReadTimeOuts(TEngineState& state);

// Seeds the generator (from the high-resolution counter unless a seed is given), sets the book
// base name from the program path, reads the time limits and builds the pattern tables.
void InitEngine(TEngineState& state, std::string_view programPath,
                std::optional<uint32_t> seed = std::nullopt);

}  // namespace zarvo
