// The sorted list: its binary-search contract, the insertion positions, the re-sort idiom, and
// the exact order its partition-exchange sort leaves equal items in.
#include "book/list_f.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "book/ranked_sort.h"

namespace zarvo {
namespace {

// Items carry a key to compare and a tag to tell equal items apart.
struct TItem {
  int Key = 0;
  int Tag = 0;
};

int gCompareCalls = 0;
const TItem* gFirstArgument = nullptr;

int32_t CompareKeys(const TItem& a, const TItem& b) {
  ++gCompareCalls;
  gFirstArgument = &a;
  return a.Key - b.Key;
}

// A borrowed-item list over items the test owns, so nothing the list does can free them.
struct TFixture {
  explicit TFixture(std::vector<int> keys) {
    items.reserve(keys.size() + 8);
    for (size_t i = 0; i < keys.size(); ++i) items.push_back({keys[i], static_cast<int>(i)});
    list.SetCompare(CompareKeys);  // sorted while empty; the keys are given in order
    for (TItem& item : items) list.Add(&item);
  }
  TItem* Extra(int key, int tag) {
    items.push_back({key, tag});
    return &items.back();
  }
  std::vector<int> Tags() const {
    std::vector<int> tags;
    for (int32_t i = 0; i < list.Count(); ++i) tags.push_back(list.Get(i).Tag);
    return tags;
  }
  std::vector<TItem> items;
  tList_F<TItem*> list;
};

TEST(SortedList, BinarySearchReportsTheProbeSequencesIndex) {
  struct Case {
    std::vector<int> Keys;
    int Start;
    int Key;
    bool Found;
    int Index;
    bool Compares;
  } const cases[] = {
      {{}, 0, 5, false, -1, false},                     // empty list
      {{1, 3, 5}, -1, 3, false, -1, false},             // start below the list
      {{1, 3, 5}, 3, 3, false, -1, false},              // start past the list
      {{1, 3, 5}, 0, 3, true, 1, true},                 // found
      {{1, 3, 5}, 0, 7, false, 2, true},                // after every item: Count - 1
      {{1, 3, 5}, 0, 0, false, -1, true},               // before every item
      {{1, 3, 5}, 0, 4, false, 1, true},                // between: the item before
      {{1, 3}, 0, 2, false, 0, true},                   // the last pass lands on a smaller item
      {{3, 5}, 0, 1, false, -1, true},                  // (0 + -1) div 2 truncates to 0
      {{1, 1, 1, 1, 2, 2, 2, 2}, 0, 2, true, 5, true},  // the equal item met first, not the first
      {{2, 2, 2, 2, 2}, 0, 2, true, 2, true},
      {{1, 3, 5, 7}, 2, 3, true, 1, true},  // a start is where the probe begins, not a wall
  };
  for (const Case& c : cases) {
    TFixture f(c.Keys);
    TItem key{c.Key, -1};
    int32_t index = 99;
    gCompareCalls = 0;
    EXPECT_EQ(f.list.BinarySearch(key, c.Start, index), c.Found) << "key " << c.Key;
    EXPECT_EQ(index, c.Index) << "key " << c.Key << " start " << c.Start;
    EXPECT_EQ(gCompareCalls > 0, c.Compares) << "key " << c.Key << " start " << c.Start;
    // The list item is the first argument of the binary search.
    if (c.Compares) {
      EXPECT_NE(gFirstArgument, &key);
    }
  }
}

TEST(SortedList, LinearSearchPutsTheKeyFirstAndIgnoresStart) {
  TFixture f({5, 1, 5});
  f.list.SetSorted(false);
  TItem key{5, -1};
  int32_t index = 99;
  EXPECT_TRUE(f.list.FindFrom(key, 2, index));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(gFirstArgument, &key);
  TItem absent{4, -1};
  EXPECT_FALSE(f.list.Find(absent, index));
  EXPECT_EQ(index, -1);

  tList_F<TItem*> noCompare;  // a list without a comparison holds nothing equal to anything
  noCompare.Add(&key);
  EXPECT_FALSE(noCompare.Find(key, index));
  EXPECT_EQ(index, -1);
}

TEST(SortedList, AddSortedInsertsWhereTheSearchPoints) {
  struct Case {
    std::vector<int> Keys;
    bool Sorted;
    int Key;
    std::vector<int> Tags;  // the new item has tag 100
  } const cases[] = {
      {{}, true, 5, {100}},                        // empty list: index 0
      {{1, 3}, true, 7, {0, 1, 100}},              // after every item: appended
      {{1, 3}, true, 0, {100, 0, 1}},              // before every item: at 0
      {{1, 3, 5}, true, 4, {0, 1, 100, 2}},        // in between
      {{1, 2, 2, 3}, true, 2, {0, 100, 1, 2, 3}},  // before the equal item found (index 1)
      {{1, 3}, false, 7, {100, 0, 1}},             // unsorted: the scan says -1, so at the front
  };
  for (const Case& c : cases) {
    TFixture f(c.Keys);
    f.list.SetSorted(c.Sorted);
    EXPECT_TRUE(f.list.AddSorted(f.Extra(c.Key, 100)));
    EXPECT_EQ(f.Tags(), c.Tags) << "key " << c.Key;
  }
}

TEST(SortedList, AddUniqueKeepsOrFreesARejectedDuplicate) {
  tList_F<std::unique_ptr<TItem>> list;
  list.SetCompare(CompareKeys);
  for (int key : {3, 1, 2}) {
    auto item = std::make_unique<TItem>(TItem{key, key});
    EXPECT_TRUE(list.AddUnique(item, false));
    EXPECT_EQ(item, nullptr);  // taken by the list
  }
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(0).Key, 1);
  EXPECT_EQ(list.Get(2).Key, 3);

  auto duplicate = std::make_unique<TItem>(TItem{2, 99});
  TItem* const kept = duplicate.get();
  EXPECT_TRUE(list.AddUnique(duplicate, false));
  EXPECT_EQ(duplicate.get(), kept);  // still the caller's, untouched
  EXPECT_EQ(duplicate->Tag, 99);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(1).Tag, 2);

  EXPECT_TRUE(list.AddUnique(duplicate, true));
  EXPECT_EQ(duplicate, nullptr);  // freed (the sanitizer build would see a leak otherwise)
  EXPECT_EQ(list.Count(), 3);

  // AddUnique re-sorts, which also turns an unsorted list with a comparison into a sorted one.
  list.SetSorted(false);
  auto four = std::make_unique<TItem>(TItem{0, 0});
  EXPECT_TRUE(list.AddUnique(four, false));
  EXPECT_TRUE(list.Sorted());
  EXPECT_EQ(list.Get(0).Key, 0);
}

TEST(SortedList, SetSortedReSortsOnlyFromFalseToTrue) {
  TFixture f({1, 2, 3});
  f.items[0].Key = 9;  // changed in place: the list is now out of order
  f.list.SetSorted(true);
  EXPECT_EQ(f.Tags(), (std::vector<int>{0, 1, 2}));  // already "sorted": nothing happens
  f.list.SetSorted(false);
  f.list.SetSorted(true);
  EXPECT_EQ(f.Tags(), (std::vector<int>{1, 2, 0}));

  tList_F<TItem*> noCompare;
  noCompare.Add(&f.items[0]);
  noCompare.SetSorted(true);
  EXPECT_FALSE(noCompare.Sorted());  // never sorted without a comparison
}

TEST(SortedList, RemoveAllTakesEveryEqualItemAndFreesNone) {
  TFixture f({1, 2, 2, 2, 3});
  {
    tList_F<TItem*> other;  // destroying a borrowed-item list leaves its items alone
    other.Add(&f.items[0]);
  }
  TItem key{2, -1};
  const std::vector<TItem*> removed = f.list.RemoveAll(key);
  EXPECT_EQ(removed.size(), 3u);
  EXPECT_EQ(f.Tags(), (std::vector<int>{0, 4}));
  for (TItem* item : removed) EXPECT_EQ(item->Key, 2);  // still alive
}

// A direct transcription of the partition-exchange sort: recursion left part first.
void ReferenceQuickSort(std::vector<TItem*>& items, int first, int last) {
  int i = first, j = last;
  const TItem* pivot = items[(first + last) / 2];
  do {
    while (items[i]->Key < pivot->Key) ++i;
    while (items[j]->Key > pivot->Key) --j;
    if (i <= j) {
      std::swap(items[i], items[j]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (first < j) ReferenceQuickSort(items, first, j);
  if (i < last) ReferenceQuickSort(items, i, last);
}

// Random lists with many equal keys, a sorted list with one item appended (what the book sees
// when an entry is put back), and sorted lists with long runs of equal keys.
std::vector<std::vector<int>> SortInputs() {
  std::mt19937 rng(12345);
  std::vector<std::vector<int>> inputs;
  for (int round = 0; round < 60; ++round) {
    const int count = 1 + static_cast<int>(rng() % 300);
    const int spread = 1 + static_cast<int>(rng() % 40);
    std::vector<int> keys(count);
    for (int& key : keys) key = static_cast<int>(rng() % spread);
    inputs.push_back(keys);
    std::sort(keys.begin(), keys.end());
    inputs.push_back(keys);
    keys.push_back(static_cast<int>(rng() % (spread + 2)) - 1);
    inputs.push_back(keys);
  }
  return inputs;
}

TEST(SortedList, SortLeavesEqualItemsWhereThePartitionExchangeSortDoes) {
  for (const std::vector<int>& keys : SortInputs()) {
    std::vector<TItem> items;
    for (size_t i = 0; i < keys.size(); ++i) items.push_back({keys[i], static_cast<int>(i)});
    tList_F<TItem*> list;
    std::vector<TItem*> reference;
    for (TItem& item : items) {
      list.Add(&item);
      reference.push_back(&item);
    }
    list.Sort(CompareKeys);
    ReferenceQuickSort(reference, 0, static_cast<int>(reference.size()) - 1);
    for (size_t i = 0; i < reference.size(); ++i) ASSERT_EQ(&list.Get(i), reference[i]);
  }
}

// The book's fast re-sort makes the same swaps as the list's sort whenever the input is sorted
// but for some items (it may take any input; the book gives it nearly sorted ones).
TEST(SortedList, RankedSortMakesTheSameSwapsAsSort) {
  for (const std::vector<int>& keys : SortInputs()) {
    std::vector<TItem> items;
    for (size_t i = 0; i < keys.size(); ++i) items.push_back({keys[i], static_cast<int>(i)});
    tList_F<TItem*> list;
    std::vector<int32_t> ranks;
    std::vector<int> tags;
    for (TItem& item : items) {
      list.Add(&item);
      ranks.push_back(item.Key);
      tags.push_back(item.Tag);
    }
    list.Sort(CompareKeys);
    TRankedSort<int>(ranks, tags).Sort();
    for (int32_t i = 0; i < list.Count(); ++i) ASSERT_EQ(list.Get(i).Tag, tags[i]);
  }
}

}  // namespace
}  // namespace zarvo
