// The square pool: one shared TSquare object per board square, and lists that refer to them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "base/square.h"

namespace zarvo {

// A list of references to shared TSquare objects; it never owns them. Its capacity is reserved for
// every square of the board at once, so adding never allocates during a search.
class TXYList {
 public:
  TXYList() { items_.reserve(kBoardSize * kBoardSize); }

  std::size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  const TSquare* operator[](std::size_t index) const { return items_[index]; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  void Add(const TSquare* item) { items_.push_back(item); }
  // Takes out the first occurrence; an item the list does not hold is ignored.
  void Remove(const TSquare* item) {
    for (auto it = items_.begin(); it != items_.end(); ++it)
      if (*it == item) {
        items_.erase(it);
        return;
      }
  }
  // Identity, not value: each square has one object.
  bool Contains(const TSquare* item) const {
    for (const TSquare* held : items_)
      if (held == item) return true;
    return false;
  }
  void Clear() { items_.clear(); }

 private:
  std::vector<const TSquare*> items_;
};

// The 400 shared objects, the square (X, Y) at index X * 20 + Y. Not copyable or movable, so
// references into it stay valid for its whole life.
class TSquarePool {
 public:
  TSquarePool() {
    for (int x = 0; x < kBoardSize; ++x)
      for (int y = 0; y < kBoardSize; ++y) items_[x * kBoardSize + y] = {x, y};
  }
  TSquarePool(const TSquarePool&) = delete;
  TSquarePool& operator=(const TSquarePool&) = delete;

  const TSquare* operator[](std::size_t index) const { return &items_.at(index); }
  static constexpr std::size_t Count() { return kBoardSize * kBoardSize; }

 private:
  std::array<TSquare, kBoardSize * kBoardSize> items_;
};

// The shared object of an on-board square; an index outside the pool throws std::out_of_range.
inline const TSquare* TXYLookup(const TSquarePool& pool, int x, int y) {
  return pool[static_cast<std::size_t>(x * kBoardSize + y)];
}

}  // namespace zarvo
