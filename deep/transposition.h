// The deep search's transposition table: a fixed array of five-entry buckets, one cache line
// each, replaced by depth and age. Its pages come zeroed from the system as they are first used, so
// neither a large table nor emptying one costs time before the search touches it. The threads of
// one search share it without a lock: an entry's words are read and written one at a time, and
// its check covers them all, so an entry half written by another thread reads as no entry.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/zeroed_pages.h"
#include "deep/deep_board.h"

namespace zarvo::deep {

enum TBound : uint8_t { kBoundNone = 0, kBoundUpper = 1, kBoundLower = 2, kBoundExact = 3 };

// The static evaluation of an entry stored without one.
inline constexpr int16_t kNoEval = INT16_MIN;

struct TTableEntry {
  uint32_t Check = 0;  // the key's high half: tells positions of one bucket apart
  int16_t Score = 0;
  int16_t Eval = 0;  // the position's static evaluation, or kNoEval
  TSquareIndex Move = kNoSquare;
  uint8_t Depth = 0;
  uint8_t BoundAndAge = 0;  // bound in the low two bits, search age above

  TBound Bound() const { return static_cast<TBound>(BoundAndAge & 3); }
};
static_assert(sizeof(TTableEntry) == 12);
// Zeroed memory is a table of empty entries.
static_assert(kBoundNone == 0 && kNoSquare == 0);

// The table a search of `hardMs` can use, for a table made for that one search: the search
// stores about a thousand positions a millisecond, and a table twice as large as they need is
// 32 KB a millisecond; from 64 KB to 16 MB. A larger table would only spread the same stores
// over more pages, each one a page fault the move pays for.
std::size_t TableBytesForTime(int64_t hardMs);

class TTranspositionTable {
 public:
  // Sized to at most `bytes` (a power of two buckets, at least one).
  explicit TTranspositionTable(std::size_t bytes = std::size_t{16} << 20);

  // A table of at most `bytes`, made anew (empty) only when that changes the bucket count: the
  // same size again keeps the table and what it holds.
  void Resize(std::size_t bytes);
  // Empties the table: fresh pages in place of the used ones go back to the system, and a table
  // nothing was stored in since it was made stays as it is.
  void Clear();
  // A new move to search: entries of earlier searches give way first.
  void NewSearch() { age_ = static_cast<uint8_t>((age_ + 1) & 63); }

  // The entry for the key, or nothing.
  std::optional<TTableEntry> Probe(uint64_t key) const;
  // Keeps a deeper result of the same position from this search unless the new one is exact.
  void Store(uint64_t key, int score, TBound bound, int depth, TSquareIndex move,
             int eval = kNoEval);

  std::size_t Bytes() const { return (mask_ + 1) * sizeof(TBucket); }
  // How many times the table was made anew (by a resize or by emptying a used table).
  int Allocations() const { return allocations_; }

 private:
  // One probe reads one cache line. An entry is three words: the check, tied to the other two
  // so that a torn entry fails it; the score and the evaluation; the move, depth, bound and age.
  static constexpr int kEntries = 5;
  struct alignas(64) TBucket {
    uint32_t Words[3 * kEntries + 1];
  };
  static_assert(sizeof(TBucket) == 64);
  static TTableEntry Load(TBucket& bucket, int index);
  static void Save(TBucket& bucket, int index, const TTableEntry& entry);
  void Allocate(std::size_t count);

  TZeroedPages pages_;
  TBucket* buckets_ = nullptr;  // in pages_
  uint64_t mask_ = 0;
  uint8_t age_ = 0;
  std::atomic<bool> used_ = false;  // something was stored since the table was made
  int allocations_ = 0;
};

}  // namespace zarvo::deep
