#include "board/position.h"

#include <algorithm>

namespace zarvo {

void InitPosition(TPosition& position) {
  const int32_t margin = position.Margin;
  position =
      TPosition{};  // border cells keep zero values in every copy; neighbour scans rely on it
  position.Margin = margin;

  for (int x = -kBorder; x < kBoardSize + kBorder; ++x) {
    for (int y = -kBorder; y < kBoardSize + kBorder; ++y) {
      TCell& cell = position.Cell(x, y);
      if (OnBoard(x, y)) {
        cell.X = static_cast<int8_t>(x);
        cell.Y = static_cast<int8_t>(y);
        cell.Stone = kEmpty;
      } else {
        cell.Stone = kOffBoard;
      }
    }
  }

  TWallWords& wall = position.WallBits;
  wall.ColumnBits.fill(kOuterWallBits);
  wall.RowBits.fill(kOuterWallBits);
  for (int d = -(kBoardSize - 1); d < kBoardSize; ++d) {
    // Square (X, Y) with X - Y = d lies off the board where X = d + Y leaves 0..19.
    uint32_t bits = kOuterWallBits;
    if (d > 0)
      for (int y = kBoardSize - d; y < kBoardSize; ++y) bits |= SquareBit(y);
    else
      for (int y = 0; y < -d; ++y) bits |= SquareBit(y);
    wall.DiagBits[d + kBoardSize - 1] = bits;
  }
  for (int s = 0; s < kLineCount; ++s) {
    // Square (X, Y) with X + Y = s lies off the board where X = s - Y leaves 0..19.
    uint32_t bits = kOuterWallBits;
    if (s < kBoardSize - 1)
      for (int y = s + 1; y < kBoardSize; ++y) bits |= SquareBit(y);
    else
      for (int y = 0; y <= s - kBoardSize; ++y) bits |= SquareBit(y);
    wall.AntiDiagBits[s] = bits;
  }

  position.MinX = 50;
  position.MinY = 50;
  position.MaxX = -50;
  position.MaxY = -50;
}

void WallOffBeyond(TPosition& position, int width, int height) {
  TWallWords& wall = position.WallBits;
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      if (x < width && y < height) continue;
      position.Cell(x, y).Stone = kOffBoard;
      // The same words and bits a stone on the square sets for its side (PlaceStone).
      wall.ColumnBits[x] |= SquareBit(y);
      wall.RowBits[y] |= SquareBit(x);
      wall.DiagBits[x - y + kBoardSize - 1] |= SquareBit(y);
      wall.AntiDiagBits[x + y] |= SquareBit(y);
    }
  }
}

bool PlaceStone(const TSideMaps& sides, uint8_t stone, int x, int y, TPosition& position) {
  if (!OnBoard(x, y)) return true;
  if (stone > kStoneO) return true;  // an off-board code has no slot
  const uint8_t slot = sides.SlotOfStone[stone];

  TCell& cell = position.Cell(x, y);
  cell.Value = {kOccupiedMark, kOccupiedMark};
  cell.LineSum = {-10000, -10000};
  cell.Stone = stone;
  cell.TopClass = {0, 0};

  position.StraightBits[slot].ColumnBits[x] |= SquareBit(y);
  position.StraightBits[slot].RowBits[y] |= SquareBit(x);
  position.DiagonalBits[slot].DiagBits[x - y + kBoardSize - 1] |= SquareBit(y);
  position.DiagonalBits[slot].AntiDiagBits[x + y] |= SquareBit(y);

  position.MinX = std::min(position.MinX, x);
  position.MaxX = std::max(position.MaxX, x);
  position.MinY = std::min(position.MinY, y);
  position.MaxY = std::max(position.MaxY, y);
  return true;
}

}  // namespace zarvo
