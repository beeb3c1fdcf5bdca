#include "search/candidate_list.h"

#include <algorithm>
#include <utility>

namespace zarvo {
namespace {

// Fills a list cell by cell: the first fifteen are copied and sorted once, later ones inserted.
class TCandidateFiller {
 public:
  TCandidateFiller(uint8_t side, TCandidateList& list) : side_(side), list_(list) {}

  void Add(const TCell& cell) {
    if (count_ >= kFull) {
      InsertCandidate(side_, cell, list_);
      return;
    }
    list_[count_++] = cell;
    if (count_ == kCandidateSlots) {
      SortCandidates(side_, list_, 0, kCandidateSlots - 1);
      count_ = kFull;
    }
  }

  // Marks the entries left unfilled (for the filling side or for both) and sorts a list that
  // never became full.
  void Finish(bool markBothSides) {
    if (count_ >= kCandidateSlots) return;
    for (int k = count_; k < kCandidateSlots; ++k) {
      list_[k].Value[side_] = kUnfilledMark;
      if (markBothSides) list_[k].Value[1 - side_] = kUnfilledMark;
    }
    count_ = kCandidateSlots;
    SortCandidates(side_, list_, 0, kCandidateSlots - 1);
  }

 private:
  static constexpr int kFull = kCandidateSlots + 1;  // full and sorted
  uint8_t side_;
  TCandidateList& list_;
  int count_ = 0;
};

}  // namespace

void ScanCandidates(uint8_t side, const TPosition& position, TCandidateList& list) {
  TCandidateFiller filler(side, list);
  const int fromX = std::max(0, position.MinX - position.Margin);
  const int toX = std::min(kBoardSize - 1, position.MaxX + position.Margin);
  const int fromY = std::max(0, position.MinY - position.Margin);
  const int toY = std::min(kBoardSize - 1, position.MaxY + position.Margin);
  for (int x = fromX; x <= toX; ++x)
    for (int y = fromY; y <= toY; ++y)
      if (const TCell& cell = position.Cell(x, y); cell.Value[side] > 0) filler.Add(cell);
  filler.Finish(false);
}

void BuildDefenceMoves(uint8_t side, const TXYList& squares, TCandidateList& list,
                       const TPosition& position) {
  TCandidateFiller filler(side, list);
  for (const TSquare* square : squares) {
    TCell cell = position.Cell(square->X, square->Y);
    cell.Value[0] += 1000;
    cell.Value[1] += 1000;
    filler.Add(cell);
  }
  filler.Finish(true);
}

void InsertCandidate(uint8_t side, const TCell& cell, TCandidateList& list) {
  constexpr int kLast = kCandidateSlots - 1;
  const auto score = [&](int k) { return list[k].Value[side]; };
  const int32_t v = cell.Value[side];
  if (score(kLast) >= v) return;

  int lo = 0;
  int hi = kLast;
  int k = 0;
  bool hit = false;
  do {
    k = (lo + hi) / 2;
    if (score(k) == v) {
      hit = true;
      break;
    }
    if (v < score(k))
      lo = k + 1;
    else
      hi = k - 1;
  } while (hi >= lo);

  if (!hit) {
    if (k == kLast) {
      list[kLast] = cell;
      return;
    }
    while (k > 0 && score(k) < v) --k;
    while (k < kLast && score(k) > v) ++k;
    if (k == kLast) {
      if (score(kLast) < v) list[kLast] = cell;
      return;
    }
  }
  // Entries k..13 move one place down; entry 14 falls off.
  std::copy_backward(list.Entries.begin() + k, list.Entries.begin() + kLast,
                     list.Entries.begin() + kCandidateSlots);
  list[k] = cell;
}

void SortCandidates(uint8_t side, TCandidateList& list, int first, int last) {
  const int32_t pivot = list[(first + last) / 2].Value[side];
  int i = first;
  int j = last;
  do {
    while (list[i].Value[side] > pivot) ++i;
    while (list[j].Value[side] < pivot) --j;
    if (i <= j) {
      std::swap(list[i], list[j]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (first < j) SortCandidates(side, list, first, j);
  if (i < last) SortCandidates(side, list, i, last);
}

}  // namespace zarvo
