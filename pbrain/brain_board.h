// The game as the brain protocol builds it: who owns each square and the order the stones came
// in, and the board text the engine reads from it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/square.h"
#include "board/position.h"
#include "driver/move_files.h"

namespace zarvo {

enum class TOwner : uint8_t { None, Own, Opponent };

// A position handed to the engine: the board text as "Plocha.dat" would hold it and the stone
// code the engine plays.
struct TEngineBoard {
  TBoardText Text;
  int Side = kStoneX;
};

class TBrainBoard {
 public:
  // A board of width x height squares, at most 20 x 20 (the deep search plays from 15 up); a
  // size beyond that range is taken as its nearest end.
  explicit TBrainBoard(int width, int height)
      : width_(std::clamp(width, 1, kBoardSize)), height_(std::clamp(height, 1, kBoardSize)) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Contains(int x, int y) const { return x >= 0 && x < width_ && y >= 0 && y < height_; }

  // Off-board squares read as empty.
  TOwner At(int x, int y) const;
  bool IsEmptySquare(int x, int y) const { return Contains(x, y) && At(x, y) == TOwner::None; }

  // False, with nothing changed, for an off-board or occupied square.
  bool Place(int x, int y, TOwner owner);
  // False, with nothing changed, for an off-board or empty square.
  bool Remove(int x, int y);

  int StoneCount() const { return static_cast<int>(order_.size()); }
  int CountOf(TOwner owner) const;
  bool Full() const { return StoneCount() == width_ * height_; }
  // Stones in the order they were placed.
  const std::vector<TSquare>& Order() const { return order_; }

  // First empty square, X in the outer loop and Y in the inner (the engine's own fallback order).
  std::optional<TSquare> FirstEmpty() const;

  // Own stones get "o" exactly when the opponent has one stone more (the engine moves second);
  // otherwise "x". For every position a real game reaches, that is the letter the stone counts
  // give the side to move, as Zarvo2 reads them. Squares beyond a smaller board read as empty.
  TEngineBoard ForEngine() const;

 private:
  int width_, height_;
  std::array<std::array<TOwner, kBoardSize>, kBoardSize> cells_{};  // [x][y]
  std::vector<TSquare> order_;
};

}  // namespace zarvo
