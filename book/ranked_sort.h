// The list's partition-exchange sort replayed on integer ranks, for a book that is re-sorted
// many times while it is almost in order. It makes exactly the swaps tList_F::Sort makes with a
// comparison whose sign is that of (rank a - rank b), but it skips what cannot change anything:
// on a stretch whose ranks strictly increase, that sort only swaps the pivot with itself, and a
// scan across such a stretch stops where a binary search says it does.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

namespace zarvo {

template <typename Payload>
class TRankedSort {
 public:
  // ranks[i] is the rank of payload[i]; both are permuted together. The sorter stays in step
  // with them through its own Remove and Append, so a book that loses and regains items does
  // not have its stretches found again for every sort.
  TRankedSort(std::vector<int32_t>& ranks, std::vector<Payload>& payload)
      : ranks_(ranks), payload_(payload), count_(static_cast<int32_t>(ranks.size())) {
    breaks_.assign(static_cast<size_t>(count_) / 64 + 1, 0);
    for (int32_t t = 0; t + 1 < count_; ++t) UpdateBreak(t);
  }

  void Sort() {
    if (count_ > 1) SortRange(0, count_ - 1);
  }

  // Takes item i out; the later items move down by one.
  Payload Remove(int32_t i) {
    Payload item = std::move(payload_[i]);
    payload_.erase(payload_.begin() + i);
    ranks_.erase(ranks_.begin() + i);
    // Drop break bit i: every later bit moves down by one.
    size_t word = static_cast<size_t>(i) / 64;
    const uint64_t low = (uint64_t{1} << (i % 64)) - 1;
    uint64_t carry = word + 1 < breaks_.size() ? breaks_[word + 1] << 63 : 0;
    breaks_[word] = (breaks_[word] & low) | ((breaks_[word] >> 1) & ~low) | carry;
    for (++word; word < breaks_.size(); ++word) {
      carry = word + 1 < breaks_.size() ? breaks_[word + 1] << 63 : 0;
      breaks_[word] = (breaks_[word] >> 1) | carry;
    }
    --count_;
    if (count_ > 0) ClearBreak(count_ - 1);  // the last item ends the list, not a stretch
    UpdateBreak(i - 1);
    return item;
  }

  void Append(int32_t rank, Payload item) {
    ranks_.push_back(rank);
    payload_.push_back(std::move(item));
    ++count_;
    if (breaks_.size() * 64 < static_cast<size_t>(count_)) breaks_.push_back(0);
    UpdateBreak(count_ - 2);
  }

 private:
  // A break at t means ranks[t] >= ranks[t + 1]: a strictly increasing stretch ends at t.
  void UpdateBreak(int32_t t) {
    if (t < 0 || t + 1 >= count_) return;
    const uint64_t bit = uint64_t{1} << (t % 64);
    if (ranks_[t] >= ranks_[t + 1]) {
      breaks_[t / 64] |= bit;
    } else {
      breaks_[t / 64] &= ~bit;
    }
  }

  void ClearBreak(int32_t t) { breaks_[t / 64] &= ~(uint64_t{1} << (t % 64)); }

  // First break at or after t, or count_ - 1 when there is none.
  int32_t NextBreak(int32_t t) const {
    if (t >= count_ - 1) return count_ - 1;
    size_t word = static_cast<size_t>(t) / 64;
    uint64_t bits = breaks_[word] & (~uint64_t{0} << (t % 64));
    while (bits == 0) {
      if (++word >= breaks_.size()) return count_ - 1;
      bits = breaks_[word];
    }
    return std::min(count_ - 1, static_cast<int32_t>(word * 64) + std::countr_zero(bits));
  }

  // Last break before t, or -1 when there is none.
  int32_t PreviousBreak(int32_t t) const {
    if (t <= 0) return -1;
    const int32_t from = t - 1;
    size_t word = static_cast<size_t>(from) / 64;
    const int shift = 63 - from % 64;
    uint64_t bits = breaks_[word] << shift >> shift;
    while (bits == 0) {
      if (word == 0) return -1;
      bits = breaks_[--word];
    }
    return static_cast<int32_t>(word * 64) + 63 - std::countl_zero(bits);
  }

  void Swap(int32_t i, int32_t j) {
    if (i == j) return;
    std::swap(ranks_[i], ranks_[j]);
    std::swap(payload_[i], payload_[j]);
    UpdateBreak(i - 1);
    UpdateBreak(i);
    UpdateBreak(j - 1);
    UpdateBreak(j);
  }

  // "while item i < pivot: i++", one strictly increasing stretch at a time.
  int32_t ScanUp(int32_t i, int32_t pivot) const {
    while (true) {
      const int32_t end = NextBreak(i);
      if (ranks_[end] < pivot) {
        i = end + 1;
        continue;
      }
      return static_cast<int32_t>(
          std::lower_bound(ranks_.begin() + i, ranks_.begin() + end + 1, pivot) - ranks_.begin());
    }
  }

  // "while item j > pivot: j--", one strictly increasing stretch at a time.
  int32_t ScanDown(int32_t j, int32_t pivot) const {
    while (true) {
      const int32_t start = PreviousBreak(j) + 1;
      if (ranks_[start] > pivot) {
        j = start - 1;
        continue;
      }
      return static_cast<int32_t>(
                 std::upper_bound(ranks_.begin() + start, ranks_.begin() + j + 1, pivot) -
                 ranks_.begin()) -
             1;
    }
  }

  void SortRange(int32_t first, int32_t last) {
    while (first < last) {
      if (NextBreak(first) >= last) return;  // strictly increasing: the sort leaves it as it is
      const int32_t pivot = ranks_[(first + last) / 2];
      int32_t i = first;
      int32_t j = last;
      do {
        i = ScanUp(i, pivot);
        j = ScanDown(j, pivot);
        if (i <= j) {
          Swap(i, j);
          ++i;
          --j;
        }
      } while (i <= j);
      if (j - first < last - i) {
        if (first < j) SortRange(first, j);
        first = i;
      } else {
        if (i < last) SortRange(i, last);
        last = j;
      }
    }
  }

  std::vector<int32_t>& ranks_;
  std::vector<Payload>& payload_;
  int32_t count_;
  std::vector<uint64_t> breaks_;
};

}  // namespace zarvo
