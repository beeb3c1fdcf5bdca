#include "board/line_eval.h"

#include <gtest/gtest.h>

#include "board/pattern_tables.h"
#include "tests/board/eval_checks.h"

namespace zarvo {
namespace {

using testing::Squares;

class LineEval : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildPairClass();
    sides_.OwnStone = kStoneX;
    SetSideMaps(sides_);
    InitPosition(position_);
  }
  TSideMaps sides_;
  TPosition position_{};
};

TEST_F(LineEval, EmptyBoardValues) {
  RescanAll(position_, nullptr);
  const TCell& centre = position_.Cell(9, 9);
  EXPECT_EQ(centre.DirClass, (std::array<uint8_t, 4>{0x11, 0x11, 0x11, 0x11}));
  EXPECT_EQ(centre.TopClass, (TClassPair{1, 1}));
  EXPECT_EQ(centre.LineSum, (std::array<int32_t, 2>{4, 4}));
  EXPECT_EQ(centre.Value, (std::array<int32_t, 2>{20, 20}));
  const TCell& corner = position_.Cell(0, 0);
  EXPECT_EQ(corner.DirClass[3], 0);  // its anti-diagonal holds no five squares
  EXPECT_EQ(corner.LineSum, (std::array<int32_t, 2>{3, 3}));
  EXPECT_EQ(corner.Value, (std::array<int32_t, 2>{15, 15}));
}

TEST_F(LineEval, ThreeInARowMakesTwoOpenFourSquaresInScanOrder) {
  for (int x : {5, 6, 7}) PlaceStone(sides_, kStoneX, x, 5, position_);
  TThreatLists lists;
  RescanAll(position_, &lists);
  for (int x : {4, 8}) {
    EXPECT_EQ(position_.Cell(x, 5).DirClass[1] & 0x0F, kClassOpenFour);
    EXPECT_EQ(position_.Cell(x, 5).TopClass[0], kClassOpenFour);
  }
  ASSERT_EQ(lists.OpenFourSquares[0].Count(), 2u);
  EXPECT_EQ(lists.OpenFourSquares[0][0], lists.Lookup(4, 5));
  EXPECT_EQ(lists.OpenFourSquares[0][1], lists.Lookup(8, 5));
}

// Three own stones pointing at the edge: the square that completes four against the edge (and the
// square beyond the stones on the edge side) is a closed four; one square further in, the same
// shape is open.
TEST_F(LineEval, LinesEndingAtTheEdgeAreNeverOpenOnThatSide) {
  struct Case {
    const char* Name;
    std::array<std::pair<int, int>, 3> Stones;
    std::pair<int, int> Square;
    int Direction;
    int Class;
  } const cases[] = {
      {"row at the left edge", {{{0, 5}, {1, 5}, {2, 5}}}, {3, 5}, 1, kClassFour},
      {"row at the left edge, on the edge", {{{1, 5}, {2, 5}, {3, 5}}}, {0, 5}, 1, kClassFour},
      {"row one square in", {{{1, 5}, {2, 5}, {3, 5}}}, {4, 5}, 1, kClassOpenFour},
      {"row at the right edge", {{{19, 5}, {18, 5}, {17, 5}}}, {16, 5}, 1, kClassFour},
      {"column at the top", {{{5, 0}, {5, 1}, {5, 2}}}, {5, 3}, 0, kClassFour},
      {"column at the bottom", {{{5, 19}, {5, 18}, {5, 17}}}, {5, 16}, 0, kClassFour},
      {"column one square in", {{{5, 18}, {5, 17}, {5, 16}}}, {5, 15}, 0, kClassOpenFour},
      {"diagonal in the corner", {{{0, 0}, {1, 1}, {2, 2}}}, {3, 3}, 2, kClassFour},
      {"diagonal at the bottom edge", {{{9, 19}, {8, 18}, {7, 17}}}, {6, 16}, 2, kClassFour},
      {"anti-diagonal at the top edge", {{{19, 0}, {18, 1}, {17, 2}}}, {16, 3}, 3, kClassFour},
      {"anti-diagonal at the left edge", {{{0, 9}, {1, 8}, {2, 7}}}, {3, 6}, 3, kClassFour},
      {"anti-diagonal one square in", {{{1, 9}, {2, 8}, {3, 7}}}, {4, 6}, 3, kClassOpenFour},
  };
  for (const Case& c : cases) {
    InitPosition(position_);
    for (auto [x, y] : c.Stones) PlaceStone(sides_, kStoneX, x, y, position_);
    RescanAll(position_, nullptr);
    const TCell& cell = position_.Cell(c.Square.first, c.Square.second);
    EXPECT_EQ(cell.DirClass[c.Direction] & 0x0F, c.Class) << c.Name;
    EXPECT_EQ(cell.TopClass[0], c.Class) << c.Name;
  }
}

// A single stone on the edge: the square next to it makes a closed two, not an open one.
TEST_F(LineEval, TwoAgainstTheEdgeIsClosed) {
  PlaceStone(sides_, kStoneX, 0, 5, position_);
  PlaceStone(sides_, kStoneX, 10, 5, position_);
  RescanAll(position_, nullptr);
  EXPECT_EQ(position_.Cell(1, 5).DirClass[1] & 0x0F, kClassClosedTwo);
  EXPECT_EQ(position_.Cell(11, 5).DirClass[1] & 0x0F, kClassOpenTwo);
}

TEST_F(LineEval, RescanSquareOffTheBoardChangesNothing) {
  for (int x : {5, 6, 7}) PlaceStone(sides_, kStoneX, x, 0, position_);
  TThreatLists lists;
  RescanAll(position_, &lists);
  // Border cells are compared as well: a rescan that wrote into one would show.
  const TPosition before = position_;
  const auto listsBefore = Squares(lists.FourSquares[0]);
  for (auto [x, y] : {std::pair{-1, 0}, {20, 0}, {5, -1}, {0, 20}, {-5, -5}, {24, 24}, {-100, 3}}) {
    RescanSquare(kAllDirections, x, y, &lists, position_);
    RescanSquare(1, x, y, &lists, position_);
  }
  for (int x = -kBorder; x < kBoardSize + kBorder; ++x)
    for (int y = -kBorder; y < kBoardSize + kBorder; ++y) {
      const TCell& a = position_.Cell(x, y);
      const TCell& b = before.Cell(x, y);
      ASSERT_TRUE(a.Stone == b.Stone && a.Value == b.Value && a.LineSum == b.LineSum &&
                  a.TopClass == b.TopClass && a.DirClass == b.DirClass)
          << x << "," << y;
    }
  EXPECT_EQ(Squares(lists.FourSquares[0]), listsBefore);
  EXPECT_EQ(lists.OpenFourSquares[0].Count(), 2u);
}

TEST_F(LineEval, RescanOfAnOccupiedSquareOnlyResetsValue) {
  for (int x : {5, 6, 7}) PlaceStone(sides_, kStoneX, x, 5, position_);
  TThreatLists lists;
  RescanAll(position_, &lists);
  TCell& cell = position_.Cell(6, 5);
  cell.Value = {5, 6};
  cell.LineSum = {7, 8};
  cell.TopClass = {kClassFour, kClassFive};
  cell.DirClass = {0x12, 0x34, 0x56, 0x78};
  for (int d : {kAllDirections, 0, 3}) {
    RescanSquare(d, 6, 5, &lists, position_);
    EXPECT_EQ(cell.Value, (std::array<int32_t, 2>{-10000, -10000}));
    EXPECT_EQ(cell.LineSum, (std::array<int32_t, 2>{7, 8}));
    EXPECT_EQ(cell.TopClass, (TClassPair{kClassFour, kClassFive}));
    EXPECT_EQ(cell.DirClass, (std::array<uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
  }
  // Its stale TopClass did not make it a threat square.
  EXPECT_FALSE(lists.FourSquares[0].Contains(lists.Lookup(6, 5)));
  EXPECT_TRUE(lists.FiveSquares[1].Empty());
}

// A single-direction rescan recomputes that byte of DirClass only, but sums all four.
TEST_F(LineEval, SingleDirectionRescanKeepsTheOtherDirections) {
  RescanAll(position_, nullptr);
  TCell& cell = position_.Cell(9, 9);
  cell.DirClass = {0x11, 0x77, 0x11, 0x88};
  for (int x : {6, 7, 8}) PlaceStone(sides_, kStoneX, x, 9, position_);
  RescanSquare(0, 9, 9, nullptr, position_);
  EXPECT_EQ(cell.DirClass, (std::array<uint8_t, 4>{0x11, 0x77, 0x11, 0x88}));
  EXPECT_EQ(cell.TopClass, (TClassPair{kClassFive, kClassFive}));
  EXPECT_EQ(cell.LineSum[0], 1 + 1000 + 1 + 10000);
  RescanSquare(1, 9, 9, nullptr, position_);
  EXPECT_EQ(cell.DirClass[1], 0x17);  // x's open four; o's single stone
  EXPECT_EQ(cell.Value[0], 3 * cell.LineSum[0] + 2 * cell.LineSum[1]);
  EXPECT_EQ(cell.Value[1], 3 * cell.LineSum[1] + 2 * cell.LineSum[0]);
}

}  // namespace
}  // namespace zarvo
