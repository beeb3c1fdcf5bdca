// Making opening books: positions given as games in real board coordinates become book entries
// in exactly the form the matcher looks for, merged and split into the two book files.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/square.h"
#include "book/opennings.h"

namespace zarvo {

// One book position: the moves of a game in play order, the reply for the side to move and the
// reply's counters.
struct TBookPosition {
  std::vector<TSquare> Moves;
  TSquare Reply;
  uint32_t PlusCount = 0;
  uint32_t MinusCount = 0;
};

inline constexpr int kBookMaxStones = 127;  // StoneTotal is a signed byte

// Why the position cannot be a book entry, or nothing when it can: at least one and at most 127
// moves, every move and the reply on the board, no square played twice, the reply empty.
std::optional<std::string> CheckBookPosition(const TBookPosition& position);

// The entry the matcher finds for this position on the board: the last move's side is the
// opponent, the other side is the side to move ("own"); stones and reply in the window frame,
// the window's extents, both lists in CompareCoords order. The position must pass the check.
std::unique_ptr<TOpenning> MakeBookEntry(const TBookPosition& position);

// a + b, stopping at 4294967295.
uint32_t SaturatingAdd(uint32_t a, uint32_t b);

// Collects entries for the two book files.
class TBookBuilder {
 public:
  TBookBuilder();

  // Adds the position, or says why it cannot. The same position with the same reply given again
  // adds its counters to the entry there (saturating).
  std::optional<std::string> Add(const TBookPosition& position);

  // Entries of BASE.ob1 (even stone count, index 0) or BASE.ob2 (odd, index 1), in
  // CompareOpenings order, so that the engine's load finds them already sorted.
  const TOpenning_Book& Book(int parity);
  int32_t EntryCount(int parity) const { return books_[parity].Count(); }
  int32_t MergedCount() const { return merged_; }

  // The bytes of book file parity (0 for .ob1, 1 for .ob2).
  std::string Encode(int parity);

 private:
  // Entries are appended and sorted once when asked for: inserting each in order would move
  // the whole list for every entry of a large book.
  TOpenning_Book books_[2];
  bool unsorted_[2] = {false, false};
  // Position and reply of every entry -> the entry, to merge repeats.
  std::unordered_map<std::string, TOpenning*> entryByKey_;
  int32_t merged_ = 0;
};

}  // namespace zarvo
