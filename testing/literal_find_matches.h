// The book lookup done the plain way, step by step with the list's own operations:
// every sort a full partition-exchange sort, a full re-sort for every entry put back. The tests
// hold the engine's faster mechanics to its results; the benchmark times it as the "before".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "book/opennings.h"

namespace zarvo::testing {

inline void LiteralLoad(TOpenning_Book& book) {
  TBookFile file = ReadBookFile(book.FileName);
  for (auto& entry : file.Entries) book.Add(std::move(entry));
  book.SetSorted(false);
  book.SetSorted(true);
}

inline bool LiteralFindMatches(TOpenning_Book& book, std::vector<TOResObj>& results,
                               const TOpenning& query) {
  std::vector<std::unique_ptr<TOpenning>> held;
  book.SetSorted(false);
  book.SetCompare(ComparePositions);
  book.SetSorted(true);
  bool found = false;
  for (int k = 1; k <= 8; ++k) {
    std::unique_ptr<TOpenning> copy = query.Clone();
    int8_t originX, originY;
    query.GetOrigin(originX, originY);
    copy->Normalize();
    copy->ApplySymmetry(k);
    copy->OwnMoves.SetSorted(false);
    copy->OwnMoves.SetSorted(true);
    copy->OppMoves.SetSorted(false);
    copy->OppMoves.SetSorted(true);
    int32_t index;
    while (book.Find(*copy, index)) {
      found = true;
      std::unique_ptr<TOpenning> turned = book.Get(index).Clone();
      turned->ApplyInverseSymmetry(k);
      results.push_back({static_cast<int8_t>(turned->ReplyX + originX),
                         static_cast<int8_t>(turned->ReplyY + originY), book.Get(index).PlusCount,
                         book.Get(index).MinusCount});
      held.push_back(book.Delete(index));
    }
    while (!held.empty()) {
      book.Add(std::move(held.front()));
      held.erase(held.begin());
      book.SetSorted(false);
      book.SetSorted(true);
    }
  }
  return found;
}

}  // namespace zarvo::testing
