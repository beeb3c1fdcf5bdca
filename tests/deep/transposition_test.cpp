// The transposition table's memory: made anew only when its size changes, emptied without
// touching its pages, and giving pages back to the system when it shrinks or empties.
#include "deep/transposition.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>

#ifdef __linux__
#include <unistd.h>
#endif

namespace zarvo::deep {
namespace {

constexpr std::size_t kMB = std::size_t{1} << 20;

// The process's resident memory in bytes, where the system tells it.
std::optional<int64_t> ResidentBytes() {
#ifdef __linux__
  std::ifstream statm("/proc/self/statm");
  int64_t size = 0, resident = 0;
  if (statm >> size >> resident) return resident * sysconf(_SC_PAGESIZE);
#endif
  return std::nullopt;
}

// Stores into every bucket: every page of the table becomes resident.
void FillEveryBucket(TTranspositionTable& table) {
  const uint64_t buckets = table.Bytes() / (4 * sizeof(TTableEntry));
  for (uint64_t key = 0; key < buckets; ++key)
    table.Store(key | uint64_t{1} << 32, 1, kBoundExact, 1, 5);
}

TEST(TranspositionTable, IsMadeAnewOnlyWhenItsSizeChanges) {
  constexpr std::size_t kBucket = 64;  // a bucket is one cache line
  TTranspositionTable table(1024 * kBucket);
  ASSERT_EQ(table.Allocations(), 1);
  table.Store(7, 100, kBoundExact, 3, 5);
  // Sizes in a row: the buckets they give, and whether the table is made anew (losing what it
  // held) or kept.
  struct {
    std::size_t Bytes;
    std::size_t Buckets;
    bool Anew;
  } const steps[] = {
      {1024 * kBucket, 1024, false},  // the same size again
      {1500 * kBucket, 1024, false},  // rounds down to the same bucket count
      {4096 * kBucket, 4096, true},
      {4096 * kBucket, 4096, false},
      {512 * kBucket, 512, true},
      {0, 1, true},  // nothing asked for: one bucket still plays
      {1, 1, false},
  };
  int allocations = table.Allocations();
  for (const auto& step : steps) {
    const bool held = table.Probe(7).has_value();
    table.Resize(step.Bytes);
    allocations += step.Anew ? 1 : 0;
    EXPECT_EQ(table.Allocations(), allocations) << step.Bytes;
    EXPECT_EQ(table.Bytes(), step.Buckets * kBucket) << step.Bytes;
    EXPECT_EQ(table.Probe(7).has_value(), held && !step.Anew) << step.Bytes;
    table.Store(7, 100, kBoundExact, 3, 5);
  }
}

// A table made for one search is as large as that search can fill.
TEST(TranspositionTable, SizeForAOneSearchTableFollowsTheTime) {
  struct {
    int64_t HardMs;
    std::size_t Bytes;
  } const cases[] = {
      {-5, 64 << 10},    {0, 64 << 10},   {1, 64 << 10},    {10, 320 << 10},
      {100, 3200 << 10}, {512, 16 * kMB}, {5000, 16 * kMB}, {int64_t{1} << 62, 16 * kMB},
  };
  for (const auto& c : cases) EXPECT_EQ(TableBytesForTime(c.HardMs), c.Bytes) << c.HardMs;
}

TEST(TranspositionTable, ClearEmptiesAUsedTableOnly) {
  TTranspositionTable table(kMB);
  const std::size_t bytes = table.Bytes();
  table.Clear();  // nothing stored yet: nothing to do
  EXPECT_EQ(table.Allocations(), 1);
  table.Store(7, 100, kBoundExact, 3, 5);
  ASSERT_TRUE(table.Probe(7).has_value());
  table.Clear();
  EXPECT_FALSE(table.Probe(7).has_value());
  EXPECT_EQ(table.Allocations(), 2);
  EXPECT_EQ(table.Bytes(), bytes);  // the same size, empty
}

// Memory is the point here: a large table costs nothing before it is used, and a smaller or
// emptied table gives its pages back instead of keeping them.
TEST(TranspositionTable, TakesPagesOnUseAndGivesThemBack) {
  if (!ResidentBytes()) GTEST_SKIP() << "the system does not tell resident memory";
  const int64_t start = *ResidentBytes();
  auto table = std::make_unique<TTranspositionTable>(256 * kMB);
  EXPECT_LT(*ResidentBytes() - start, int64_t{8 << 20});

  table->Resize(64 * kMB);
  FillEveryBucket(*table);
  const int64_t filled = *ResidentBytes();
  EXPECT_GT(filled - start, int64_t{40 << 20});

  table->Resize(4 * kMB);
  EXPECT_LT(*ResidentBytes(), filled - int64_t{40 << 20});

  FillEveryBucket(*table);
  const int64_t small = *ResidentBytes();
  table->Clear();
  EXPECT_LT(*ResidentBytes(), small - int64_t{2 << 20});
}

}  // namespace
}  // namespace zarvo::deep

namespace zarvo::deep {
namespace {

// Two threads store into one bucket while a third reads it: every entry read back is one that
// was written whole, never the check of one store with the score or move of another.
TEST(TranspositionTable, ThreadsSharingATableNeverReadATornEntry) {
  TTranspositionTable table(64);  // one bucket: every key competes for its five entries
  // Entries whose fields all follow from the position's number; keys as random as the
  // board's, 64 positions in all.
  const auto scoreOf = [](uint64_t k) { return static_cast<int>(k % 2000) - 1000; };
  const auto moveOf = [](uint64_t k) { return static_cast<TSquareIndex>(1 + k % 700); };
  const auto keyOf = [](uint64_t k) { return (k * 0x9E3779B97F4A7C15) ^ (k << 7); };
  std::atomic<bool> done = false;
  const auto writer = [&](uint64_t first) {
    for (uint64_t i = first; i < first + 2'000'000; ++i) {
      const uint64_t k = 1 + i % 64;
      table.Store(keyOf(k), scoreOf(k), kBoundExact, static_cast<int>(i % 30), moveOf(k),
                  scoreOf(k) / 2);
    }
  };
  int torn = 0, read = 0;
  std::thread reader([&] {
    while (!done.load()) {
      for (uint64_t k = 1; k <= 64; ++k) {
        const std::optional<TTableEntry> entry = table.Probe(keyOf(k));
        if (!entry) continue;
        ++read;
        if (entry->Score != scoreOf(k) || entry->Move != moveOf(k) || entry->Eval != scoreOf(k) / 2)
          ++torn;
      }
    }
  });
  std::thread a(writer, 0), b(writer, 7);
  a.join();
  b.join();
  done = true;
  reader.join();
  EXPECT_GT(read, 0);
  EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace zarvo::deep
