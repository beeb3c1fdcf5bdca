// Squares of the board: its size and the coordinate pair every layer passes around.
#pragma once

#include <cstdint>

namespace zarvo {

inline constexpr int kBoardSize = 20;

constexpr bool OnBoard(int x, int y) {
  return x >= 0 && x < kBoardSize && y >= 0 && y < kBoardSize;
}

// The one coordinate pair of the engine, its tools and its front ends. Records with a fixed byte
// layout (the book's TOCoord, the cells of TPosition) keep their own fields and convert at their
// edge.
struct TSquare {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TSquare&, const TSquare&) = default;
};

}  // namespace zarvo
