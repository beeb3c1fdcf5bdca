// zarvo bench --search deep --depth-profile: how deep the deep search gets, measured in a
// repeatable way. Over a fixed set of middle-game positions it gives per position the depth
// finished within a node budget and the nodes a fixed depth takes, and the medians of both: a
// search made more selective should go deeper on the same nodes and need fewer for the depth.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "base/square.h"

namespace zarvo::tool {

struct TDepthProfileLimits {
  int64_t BudgetNodes = 400'000;  // the depth finished within these alpha-beta nodes
  int Depth = 10;                 // the nodes it takes to finish this depth...
  int64_t CapNodes = 20'000'000;  // ...given up here
};

// Every position (moves in play order, x first) searched twice with a fresh table, one thread,
// no time limit and no root solvers (their wins would end a search before its first
// iteration): once within the budget, once to the depth. Nodes are the alpha-beta search's;
// the threat solvers' are shown beside.
int RunDepthProfile(const std::vector<std::vector<TSquare>>& suite,
                    const TDepthProfileLimits& limits, std::ostream& out);

}  // namespace zarvo::tool
