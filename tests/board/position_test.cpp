#include "board/position.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zarvo {
namespace {

TSideMaps SidesFor(uint8_t own) {
  TSideMaps sides;
  sides.OwnStone = own;
  SetSideMaps(sides);
  return sides;
}

TEST(Position, InitPositionMakesAnEmptyBoardInsideAnOffBoardBorder) {
  TPosition position{};
  position.Margin = 7;
  InitPosition(position);
  for (int x = -5; x < 25; ++x) {
    for (int y = -5; y < 25; ++y) {
      const TCell& cell = position.Cell(x, y);
      EXPECT_EQ(cell.Stone, OnBoard(x, y) ? kEmpty : kOffBoard) << x << "," << y;
      EXPECT_EQ(cell.Value[0] | cell.Value[1] | cell.LineSum[0] | cell.LineSum[1], 0);
      EXPECT_EQ(cell.TopClass[0] | cell.TopClass[1], 0);
      if (OnBoard(x, y)) {
        EXPECT_TRUE(cell.X == x && cell.Y == y);
      }
    }
  }
  EXPECT_EQ(position.MinX, 50);
  EXPECT_EQ(position.MinY, 50);
  EXPECT_EQ(position.MaxX, -50);
  EXPECT_EQ(position.MaxY, -50);
  EXPECT_EQ(position.Margin, 7);  // left for move selection to set
}

// Every wall word holds exactly the positions -5..24 of its line that lie off the board.
TEST(Position, WallBitsMarkExactlyTheOffBoardSquaresOfEveryLine) {
  TPosition position{};
  InitPosition(position);
  const auto expected = [](auto squareOnBoard) {
    uint32_t bits = 0;
    for (int k = -5; k <= 24; ++k)
      if (!squareOnBoard(k)) bits |= SquareBit(k);
    return bits;
  };
  for (int i = 0; i < 20; ++i) {
    const uint32_t straight = expected([](int k) { return k >= 0 && k < 20; });
    EXPECT_EQ(position.WallBits.ColumnBits[i], straight);
    EXPECT_EQ(position.WallBits.RowBits[i], straight);
  }
  for (int d = -19; d <= 19; ++d)
    EXPECT_EQ(position.WallBits.DiagBits[d + 19],
              expected([d](int y) { return OnBoard(d + y, y); }))
        << "X - Y = " << d;
  for (int s = 0; s <= 38; ++s)
    EXPECT_EQ(position.WallBits.AntiDiagBits[s], expected([s](int y) { return OnBoard(s - y, y); }))
        << "X + Y = " << s;

  // The corner diagonals hold one square of the board each.
  EXPECT_EQ(position.WallBits.DiagBits[19 + 19], 0x3FFFFFFFu & ~SquareBit(0));
  EXPECT_EQ(position.WallBits.AntiDiagBits[0], 0x3FFFFFFFu & ~SquareBit(0));
  EXPECT_EQ(position.WallBits.AntiDiagBits[38], 0x3FFFFFFFu & ~SquareBit(19));
}

TEST(Position, PlaceStoneSetsTheSquareInTheFourLinesOfItsSlot) {
  TPosition position{};
  InitPosition(position);
  const TSideMaps sides = SidesFor(kStoneX);
  PlaceStone(sides, kStoneX, 3, 7, position);

  EXPECT_EQ(position.StraightBits[0].ColumnBits[3], 1u << 12);
  EXPECT_EQ(position.StraightBits[0].RowBits[7], 1u << 8);
  EXPECT_EQ(position.DiagonalBits[0].DiagBits[-4 + 19], 1u << 12);
  EXPECT_EQ(position.DiagonalBits[0].AntiDiagBits[10], 1u << 12);
  EXPECT_EQ(position.StraightBits[1].ColumnBits[3], 0u);
  const TCell& cell = position.Cell(3, 7);
  EXPECT_EQ(cell.Stone, kStoneX);
  EXPECT_EQ(cell.Value[0], -10000);
  EXPECT_EQ(cell.LineSum[1], -10000);
  EXPECT_EQ(position.MinX, 3);
  EXPECT_EQ(position.MaxX, 3);
  EXPECT_EQ(position.MinY, 7);
  EXPECT_EQ(position.MaxY, 7);

  // The opponent's stone lands in slot 1 and widens the box.
  PlaceStone(sides, kStoneO, 10, 2, position);
  EXPECT_EQ(position.StraightBits[1].RowBits[2], SquareBit(10));
  EXPECT_EQ(position.MaxX, 10);
  EXPECT_EQ(position.MinY, 2);
}

TEST(Position, PlaceStoneIgnoresOffBoardSquaresAndCodesWithoutASide) {
  const TSideMaps sides = SidesFor(kStoneO);
  TPosition position{};
  InitPosition(position);
  const TPosition before = position;
  for (auto [x, y] : {std::pair{20, 5}, {-1, 0}, {5, 20}, {0, -1}, {-5, -5}, {24, 24}}) {
    EXPECT_FALSE(OnBoard(x, y));
    PlaceStone(sides, kStoneO, x, y, position);
  }
  PlaceStone(sides, kOffBoard, 9, 9, position);  // a code with no side slot
  EXPECT_EQ(std::memcmp(&before, &position, sizeof position), 0);
  EXPECT_TRUE(OnBoard(0, 0));
  EXPECT_TRUE(OnBoard(19, 19));
}

}  // namespace
}  // namespace zarvo
