#include "search/vcf_solver.h"

#include <algorithm>
#include <type_traits>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "board/state_check.h"

namespace zarvo {
namespace {

// The solver's position for one nesting, taken from a stack that grows only when a proof runs
// deeper than any before it in this move.
TPosition& SolverPosition(TSearchState& search, std::size_t ply) {
  while (search.SolverPositions.size() <= ply) search.SolverPositions.emplace_back();
  return search.SolverPositions[ply];
}

// Calls visit(direction, x, y) for the on-board squares at distance 1..4 of (x, y): direction
// outer, distance inner, the square ahead before the square behind. Stops when visit returns
// false; returns whether it ran to the end.
template <typename Visit>
bool ForEachSolverNeighbour(int x, int y, Visit&& visit) {
  for (int d = 0; d < 4; ++d) {
    for (int k = 1; k <= 4; ++k) {
      for (int sign : {1, -1}) {
        const int nx = x + sign * k * DirDX[d];
        const int ny = y + sign * k * DirDY[d];
        if (OnBoard(nx, ny) && !visit(d, nx, ny)) return false;
      }
    }
  }
  return true;
}

// Restores the nesting depth on every way out of a shortest-search step.
class TDepthGuard {
 public:
  explicit TDepthGuard(int32_t& depth) : depth_(depth) { ++depth_; }
  ~TDepthGuard() { --depth_; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;

 private:
  int32_t& depth_;
};

// The first-found search does not count its nesting.
struct TNoDepthGuard {
  explicit TNoDepthGuard(int32_t&) {}
};

}  // namespace

bool TSearchNode::FindVcf(TSearchEnvironment& state, const TPosition& position,
                          const TXYList& squares, uint8_t attacker) {
  for (const TSquare* square : squares) {
    if (SolveVcf(state, position, square->X, square->Y, attacker)) {
      X = static_cast<int8_t>(square->X);
      Y = static_cast<int8_t>(square->Y);
      return true;
    }
  }
  return false;
}

bool TSearchNode::FindShortestVcf(TSearchEnvironment& state, const TPosition& position,
                                  const TXYList& squares, uint8_t attacker, bool stopWhenTimeIsUp) {
  Depth = 0;
  BestDepth = 10000;
  stopWhenTimeIsUp_ = stopWhenTimeIsUp;
  bool found = false;
  for (const TSquare* square : squares) {
    if (stopWhenTimeIsUp_ && state.Time.TimeUpFlag) break;
    if (SolveVcfShortest(state, position, square->X, square->Y, attacker)) {
      X = static_cast<int8_t>(square->X);
      Y = static_cast<int8_t>(square->Y);
      found = true;
    }
  }
  return found;
}

bool TSearchNode::SolveVcf(TSearchEnvironment& state, const TPosition& position, int x, int y,
                           uint8_t attacker) {
  return Solve<false>(state, position, x, y, attacker, 0);
}

bool TSearchNode::SolveVcfShortest(TSearchEnvironment& state, const TPosition& position, int x,
                                   int y, uint8_t attacker) {
  return Solve<true>(state, position, x, y, attacker, 0);
}

template <bool Shortest>
bool TSearchNode::Solve(TSearchEnvironment& state, const TPosition& position, int x, int y,
                        uint8_t a, std::size_t ply) {
  ++state.Search.SolverCalls;
  using TGuard = std::conditional_t<Shortest, TDepthGuard, TNoDepthGuard>;
  [[maybe_unused]] TGuard depthGuard(Depth);

  // A success found at this nesting; in the shortest search it bounds every later line. [&]
  // rather than [this]: the plain search never reads a member here.
  const auto succeed = [&] {
    if constexpr (Shortest) BestDepth = std::min(BestDepth, Depth);
    return true;
  };
  const auto deeper = [&](const TPosition& from, int nx, int ny) {
    if constexpr (Shortest)
      if (Depth >= BestDepth) return false;  // cannot beat the best win found
    return Solve<Shortest>(state, from, nx, ny, a, ply + 1);
  };

  // 1. Time, the board, and a five already there.
  if constexpr (!Shortest) {
    if (state.Time.TimeIsUp()) return false;
  } else {
    if (stopWhenTimeIsUp_ && state.Time.TimeIsUp()) return false;
  }
  if (!OnBoard(x, y)) return false;
  const uint8_t d = OtherSide[a];
  if (position.Cell(x, y).TopClass[a] == kClassFive) return succeed();

  // 2. The four, on this nesting's own copy.
  TPosition& w = SolverPosition(state.Search, ply);
  w = position;
  PlaceStone(state.Sides, state.Sides.StoneOfSlot[a], x, y, w);

  // 3. Attacker scan: the square the defender must block (the last five-square in scan order).
  int bx = -1;
  int by = -1;
  const bool blockable = ForEachSolverNeighbour(x, y, [&](int dir, int nx, int ny) {
    RescanSquare(dir, nx, ny, nullptr, w);
    const TCell& n = w.Cell(nx, ny);
    if (n.TopClass[a] != kClassFive) return true;
    if (n.TopClass[d] == kClassFive) return false;  // the block would complete the defender's five
    bx = nx;
    by = ny;
    return true;
  });
  if (!blockable) return false;

  // 4. The block.
  PlaceStone(state.Sides, state.Sides.StoneOfSlot[d], bx, by, w);

  // 5. Block scan: did the block stop every five, and did it make defender fours?
  int defenderFours = 0;
  int openFours = 0;
  int rx = -1;
  int ry = -1;
  bool won = false;
  ForEachSolverNeighbour(bx, by, [&](int dir, int nx, int ny) {
    RescanSquare(dir, nx, ny, nullptr, w);
    const TCell& n = w.Cell(nx, ny);
    if (n.TopClass[a] == kClassFive) {
      won = true;
      return false;
    }
    if (n.TopClass[d] == kClassFive) {
      ++defenderFours;
      rx = nx;
      ry = ny;
    }
    if (n.TopClass[a] == kClassOpenFour) ++openFours;
    return true;
  });
  if (won) return succeed();

  // 6. Re-check around the four, as the cells stand.
  ForEachSolverNeighbour(x, y, [&](int, int nx, int ny) {
    const uint8_t c = w.Cell(nx, ny).TopClass[a];
    if (c == kClassFive) {
      won = true;
      return false;
    }
    if (c == kClassOpenFour) ++openFours;
    return true;
  });
  if (won) return succeed();

  // 7. Decide.
  if constexpr (kCheckState) {
    CheckEvaluationAround(w, x, y);
    CheckEvaluationAround(w, bx, by);
  }
  if (defenderFours > 1) return false;
  if (defenderFours == 1) {
    // The attacker must answer the defender's four at R, and only a four of its own keeps going.
    const uint8_t c = w.Cell(rx, ry).TopClass[a];
    if (c == kClassOpenFour) return succeed();
    if (c < kClassFour) return false;
    return deeper(w, rx, ry);
  }
  if (openFours > 0) return succeed();
  return !ForEachSolverNeighbour(x, y, [&](int, int nx, int ny) {
    return w.Cell(nx, ny).TopClass[a] != kClassFour || !deeper(w, nx, ny);
  });
}

}  // namespace zarvo
