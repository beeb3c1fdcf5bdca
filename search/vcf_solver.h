// The continuous-four solver: can the attacker force five by playing nothing but fours, each
// answered by the defender's single block?
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/square_pool.h"
#include "board/position.h"
#include "search/search_state.h"

namespace zarvo {

inline constexpr int8_t kNoSquare = 111;

// One solver run: its answer square, and the nesting bookkeeping of the shortest search.
class TSearchNode {
 public:
  // The first square of the list from which a win by fours exists, stored in X, Y. Gives up when
  // the time budget is spent.
  bool FindVcf(TSearchEnvironment& state, const TPosition& position, const TXYList& squares,
               uint8_t attacker);
  // The last square of the list among those whose win needs the fewest fours, stored in X, Y;
  // BestDepth holds that length afterwards. Without stopWhenTimeIsUp it never asks the clock.
  // With it, a spent budget ends the search early: what was proven until then counts (a proof
  // never rests on a line cut short, so a win found is a win), only the lines not yet examined
  // are lost. Move selection asks for that once a win is already proven, so looking for the
  // shortest line can never cost the game on time.
  bool FindShortestVcf(TSearchEnvironment& state, const TPosition& position, const TXYList& squares,
                       uint8_t attacker, bool stopWhenTimeIsUp = false);

  bool SolveVcf(TSearchEnvironment& state, const TPosition& position, int x, int y,
                uint8_t attacker);
  bool SolveVcfShortest(TSearchEnvironment& state, const TPosition& position, int x, int y,
                        uint8_t attacker);

  int8_t X = kNoSquare;
  int8_t Y = kNoSquare;
  int32_t Depth = 0;      // nesting of the shortest search
  int32_t BestDepth = 0;  // fewest nestings of a win found by the shortest search

 private:
  bool stopWhenTimeIsUp_ = false;

  template <bool Shortest>
  bool Solve(TSearchEnvironment& state, const TPosition& position, int x, int y, uint8_t attacker,
             std::size_t ply);
};

}  // namespace zarvo
