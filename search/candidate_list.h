// Ranked lists of the best fifteen moves of a search level.
#pragma once

#include <array>
#include <cstdint>

#include "base/square_pool.h"
#include "board/position.h"

namespace zarvo {

inline constexpr int kCandidateSlots = 15;

// Full cell copies in descending order of Value[side], side being the one to move while the list
// was built. A plain value: copying it copies the list.
struct TCandidateList {
  std::array<TCell, kCandidateSlots> Entries;

  TCell& operator[](int index) { return Entries[index]; }
  const TCell& operator[](int index) const { return Entries[index]; }
};
static_assert(std::is_trivially_copyable_v<TCandidateList>);

// The best fifteen squares with a positive Value[side] inside the stones' bounding box widened by
// the position's Margin, X outer and Y inner.
void ScanCandidates(uint8_t side, const TPosition& position, TCandidateList& list);

// The cells of the given squares, each worth 1000 more for both sides, whatever their score.
void BuildDefenceMoves(uint8_t side, const TXYList& squares, TCandidateList& list,
                       const TPosition& position);

// Ranked insertion into a full, sorted list: a new score goes before the first lower entry, a
// score that already occurs before the equal entry the bisection meets first.
void InsertCandidate(uint8_t side, const TCell& cell, TCandidateList& list);

// Partition-exchange sort of entries first..last, highest Value[side] first. The order it leaves
// ties in decides which of equal moves is tried first, so no library sort replaces it.
void SortCandidates(uint8_t side, TCandidateList& list, int first, int last);

}  // namespace zarvo
