// zarvo bench --search deep: the deep search over the benchmark suite at a fixed depth; its node
// total is the deep search's own signature.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "select/engine_state.h"

namespace zarvo::tool {

// The depth the signature is taken at, and the signature of the built-in suite there.
inline constexpr int kDeepBenchDepth = 6;
inline constexpr uint64_t kDeepBenchSignature = 4310230;

// Searches every position (moves in play order, x first) to `depth` with a fresh table, no time
// limit and the root solvers on; prints a line per position and the totals, "Bench: N" last.
int RunDeepBench(const std::vector<std::vector<TSquare>>& suite, int depth, std::ostream& out);

}  // namespace zarvo::tool
