// The six lists of squares where a side makes a four, an open four or a five, kept in step with
// the TopClass of every empty square.
#pragma once

#include <array>
#include <cstdint>

#include "base/square_pool.h"
#include "board/position.h"

namespace zarvo {

using TClassPair = std::array<uint8_t, 2>;  // TopClass of slot 0 and slot 1

struct TThreatLists {
  TSquarePool SquarePool;
  std::array<TXYList, 2> FiveSquares;      // by slot: TopClass 8
  std::array<TXYList, 2> OpenFourSquares;  // by slot: TopClass 7
  std::array<TXYList, 2> FourSquares;      // by slot: TopClass 6

  const TSquare* Lookup(int x, int y) const { return TXYLookup(SquarePool, x, y); }
};

// Moves the square between the lists of each slot whose class changed from old to new.
void UpdateThreatLists(TThreatLists& lists, int x, int y, TClassPair oldPair, TClassPair newPair);

// Brings the lists from the state of `from` to that of `to` for the square of a move and the 32
// squares its rescans can change.
void SyncThreatLists(TThreatLists& lists, int x, int y, const TPosition& from, const TPosition& to);

}  // namespace zarvo
