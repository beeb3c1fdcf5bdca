// zarvo bench --search deep: the deep search over the benchmark suite at a fixed depth; its
// alpha-beta node total is the deep search's own signature. The threat solvers' nodes are
// counted apart: they are most of the work, but a solver made faster that finds the same wins
// should not move the signature, and one that finds others moves it through the search anyway.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "select/engine_state.h"

namespace zarvo::tool {

// The depth the signature is taken at, and the signature of the built-in suite there.
inline constexpr int kDeepBenchDepth = 6;
inline constexpr uint64_t kDeepBenchSignature = 49292;

// Searches every position (moves in play order, x first) to `depth` with a fresh table, no time
// limit and the root solvers on; prints a line per position (alpha-beta and solver nodes) and
// the totals, "Bench: N" (the alpha-beta nodes) last. With more than one thread the nodes are
// those of all threads, and "Bench:" is left out: it would differ from run to run.
int RunDeepBench(const std::vector<std::vector<TSquare>>& suite, int depth, std::ostream& out,
                 int threads = 1);

}  // namespace zarvo::tool
