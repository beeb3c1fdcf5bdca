// The deep search's transposition table: a fixed array of four-entry buckets, sized once when
// the search is set up, replaced by depth and age.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "deep/deep_board.h"

namespace zarvo::deep {

enum TBound : uint8_t { kBoundNone = 0, kBoundUpper = 1, kBoundLower = 2, kBoundExact = 3 };

struct TTableEntry {
  uint32_t Check = 0;  // the key's high half: tells positions of one bucket apart
  int16_t Score = 0;
  TSquareIndex Move = kNoSquare;
  uint8_t Depth = 0;
  uint8_t BoundAndAge = 0;  // bound in the low two bits, search age above

  TBound Bound() const { return static_cast<TBound>(BoundAndAge & 3); }
};

class TTranspositionTable {
 public:
  // Sized to at most `bytes` (a power of two buckets, at least one).
  explicit TTranspositionTable(std::size_t bytes = std::size_t{16} << 20);

  void Resize(std::size_t bytes);
  void Clear();
  // A new move to search: entries of earlier searches give way first.
  void NewSearch() { age_ = static_cast<uint8_t>((age_ + 1) & 63); }

  // The entry for the key, or nullptr.
  const TTableEntry* Probe(uint64_t key) const;
  void Store(uint64_t key, int score, TBound bound, int depth, TSquareIndex move);

  std::size_t Bytes() const { return buckets_.size() * sizeof(TBucket); }

 private:
  struct TBucket {
    TTableEntry Entries[4];
  };
  std::vector<TBucket> buckets_;
  uint64_t mask_ = 0;
  uint8_t age_ = 0;
};

}  // namespace zarvo::deep
