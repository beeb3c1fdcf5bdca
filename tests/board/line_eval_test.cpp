#include "board/line_eval.h"

#include <gtest/gtest.h>

#include "board/pattern_tables.h"

namespace zarvo {
namespace {

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

}  // namespace
}  // namespace zarvo
