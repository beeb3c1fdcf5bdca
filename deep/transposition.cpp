#include "deep/transposition.h"

#include <algorithm>
#include <atomic>
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

namespace {

uint32_t Data(const TTableEntry& entry) {
  return static_cast<uint32_t>(entry.Move) | uint32_t{entry.Depth} << 16 |
         uint32_t{entry.BoundAndAge} << 24;
}
uint32_t Values(const TTableEntry& entry) {
  return static_cast<uint16_t>(entry.Score) |
         static_cast<uint32_t>(static_cast<uint16_t>(entry.Eval)) << 16;
}

}  // namespace

TTableEntry TTranspositionTable::Load(TBucket& bucket, int index) {
  const auto word = [&](int k) {
    return std::atomic_ref<uint32_t>(bucket.Words[3 * index + k]).load(std::memory_order_relaxed);
  };
  const uint32_t check = word(0), values = word(1), data = word(2);
  TTableEntry entry;
  entry.Check = check ^ values ^ data;
  entry.Score = static_cast<int16_t>(values & 0xFFFF);
  entry.Eval = static_cast<int16_t>(values >> 16);
  entry.Move = static_cast<TSquareIndex>(data & 0xFFFF);
  entry.Depth = static_cast<uint8_t>(data >> 16);
  entry.BoundAndAge = static_cast<uint8_t>(data >> 24);
  return entry;
}

void TTranspositionTable::Save(TBucket& bucket, int index, const TTableEntry& entry) {
  const uint32_t values = Values(entry), data = Data(entry);
  const auto word = [&](int k, uint32_t value) {
    std::atomic_ref<uint32_t>(bucket.Words[3 * index + k]).store(value, std::memory_order_relaxed);
  };
  word(0, entry.Check ^ values ^ data);
  word(1, values);
  word(2, data);
}

std::optional<TTableEntry> TTranspositionTable::Probe(uint64_t key) const {
  TBucket& bucket = buckets_[key & mask_];
  const auto check = static_cast<uint32_t>(key >> 32);
  for (int i = 0; i < kEntries; ++i) {
    const TTableEntry entry = Load(bucket, i);
    if (entry.Check == check && entry.Bound() != kBoundNone) return entry;
  }
  return std::nullopt;
}

void TTranspositionTable::Store(uint64_t key, int score, TBound bound, int depth, TSquareIndex move,
                                int eval) {
  TBucket& bucket = buckets_[key & mask_];
  if (!used_.load(std::memory_order_relaxed)) used_.store(true, std::memory_order_relaxed);
  const auto check = static_cast<uint32_t>(key >> 32);
  // The same position, else the entry worth least: old searches first, then shallow ones.
  int index = 0;
  TTableEntry target = Load(bucket, 0);
  int worst = 1 << 30;
  for (int i = 0; i < kEntries; ++i) {
    const TTableEntry entry = Load(bucket, i);
    if (entry.Check == check || entry.Bound() == kBoundNone) {
      index = i;
      target = entry;
      break;
    }
    const int age = (age_ - (entry.BoundAndAge >> 2)) & 63;
    const int worth = entry.Depth - 8 * age;
    if (worth < worst) {
      worst = worth;
      index = i;
      target = entry;
    }
  }
  if (target.Check == check && target.Bound() != kBoundNone) {
    // A shallower result for the same position keeps the deeper move if it has none, and the
    // evaluation; a much shallower bound of this search leaves the deeper entry as it is.
    if (move == kNoSquare) move = target.Move;
    if (eval == kNoEval) eval = target.Eval;
    const bool current = (target.BoundAndAge >> 2) == age_;
    if (current && bound != kBoundExact && depth + 3 < target.Depth) {
      target.Eval = static_cast<int16_t>(eval);
      Save(bucket, index, target);
      return;
    }
  }
  target.Check = check;
  target.Eval = static_cast<int16_t>(eval);
  target.Score = static_cast<int16_t>(score);
  target.Move = move;
  target.Depth = static_cast<uint8_t>(std::clamp(depth, 0, 255));
  target.BoundAndAge = static_cast<uint8_t>(bound | age_ << 2);
  Save(bucket, index, target);
}

}  // namespace zarvo::deep
