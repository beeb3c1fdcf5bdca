#include "deep/transposition.h"

#include <algorithm>
#include <new>

namespace zarvo::deep {

std::size_t TableBytesForTime(int64_t hardMs) {
  constexpr int64_t kBytesPerMs = int64_t{32} << 10;
  constexpr int64_t kMinBytes = int64_t{64} << 10, kMaxBytes = int64_t{16} << 20;
  return static_cast<std::size_t>(
      std::clamp(std::min(hardMs, kMaxBytes) * kBytesPerMs, kMinBytes, kMaxBytes));
}

TTranspositionTable::TTranspositionTable(std::size_t bytes) {
  Resize(bytes);
}

void TTranspositionTable::Resize(std::size_t bytes) {
  std::size_t count = 1;
  while (count * 2 * sizeof(TBucket) <= bytes) count *= 2;
  if (buckets_ == nullptr || count != mask_ + 1) Allocate(count);
}

void TTranspositionTable::Clear() {
  if (used_) Allocate(mask_ + 1);
}

void TTranspositionTable::Allocate(std::size_t count) {
  pages_ = TZeroedPages();  // the old table goes back first: never two at once
  try {
    pages_ = TZeroedPages(count * sizeof(TBucket));
  } catch (const std::bad_alloc&) {
    count = 1;  // the system refused: a table of one bucket still plays
    pages_ = TZeroedPages(sizeof(TBucket));
  }
  buckets_ = static_cast<TBucket*>(pages_.Data());
  mask_ = count - 1;
  used_ = false;
  ++allocations_;
}

const TTableEntry* TTranspositionTable::Probe(uint64_t key) const {
  const TBucket& bucket = buckets_[key & mask_];
  const auto check = static_cast<uint32_t>(key >> 32);
  for (const TTableEntry& entry : bucket.Entries)
    if (entry.Check == check && entry.Bound() != kBoundNone) return &entry;
  return nullptr;
}

void TTranspositionTable::Store(uint64_t key, int score, TBound bound, int depth, TSquareIndex move,
                                int eval) {
  TBucket& bucket = buckets_[key & mask_];
  used_ = true;
  const auto check = static_cast<uint32_t>(key >> 32);
  // The same position, else the entry worth least: old searches first, then shallow ones.
  TTableEntry* target = &bucket.Entries[0];
  int worst = 1 << 30;
  for (TTableEntry& entry : bucket.Entries) {
    if (entry.Check == check || entry.Bound() == kBoundNone) {
      target = &entry;
      break;
    }
    const int age = (age_ - (entry.BoundAndAge >> 2)) & 63;
    const int worth = entry.Depth - 8 * age;
    if (worth < worst) {
      worst = worth;
      target = &entry;
    }
  }
  if (target->Check == check && target->Bound() != kBoundNone) {
    // A shallower result for the same position keeps the deeper move if it has none, and the
    // evaluation; a much shallower bound of this search leaves the deeper entry as it is.
    if (move == kNoSquare) move = target->Move;
    if (eval == kNoEval) eval = target->Eval;
    const bool current = (target->BoundAndAge >> 2) == age_;
    if (current && bound != kBoundExact && depth + 3 < target->Depth) {
      target->Eval = static_cast<int16_t>(eval);
      return;
    }
  }
  target->Check = check;
  target->Eval = static_cast<int16_t>(eval);
  target->Score = static_cast<int16_t>(score);
  target->Move = move;
  target->Depth = static_cast<uint8_t>(std::clamp(depth, 0, 255));
  target->BoundAndAge = static_cast<uint8_t>(bound | age_ << 2);
}

}  // namespace zarvo::deep
