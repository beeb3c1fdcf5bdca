#include "board/threat_lists.h"

#include <gtest/gtest.h>

#include "base/random.h"
#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "tests/board/eval_checks.h"

namespace zarvo {
namespace {

using testing::AllLists;
using testing::BoardPicture;
using testing::kListNames;
using testing::Sorted;
using testing::Squares;
using testing::TSquareList;

// The six lists in the order of AllLists: five, open four, four, slot 0 before slot 1.
using TListContents = std::array<TSquareList, 6>;

TListContents Contents(const TThreatLists& lists) {
  TListContents contents;
  const auto all = AllLists(lists);
  for (std::size_t i = 0; i < all.size(); ++i) contents[i] = Squares(*all[i]);
  return contents;
}

// Square (9, 9) changes class while (1, 1), (2, 2) and (3, 3) are already listed, so the order
// of removal and appending shows.
TEST(ThreatLists, UpdateMovesTheSquareBetweenTheListsOfEachSlot) {
  const TSquareList five0{{1, 1}}, five1{{2, 2}}, openFour0{{3, 3}};
  const TSquareList nine{{9, 9}};
  const TSquareList five0AndNine{{1, 1}, {9, 9}}, five1AndNine{{2, 2}, {9, 9}};
  struct Case {
    const char* Name;
    TClassPair Old, New;
    TListContents Expected;  // five[0], five[1], openfour[0], openfour[1], four[0], four[1]
  } const cases[] = {
      {"open three to open four", {5, 0}, {7, 0}, {five0, five1, {{3, 3}, {9, 9}}, {}, {}, {}}},
      {"open four to five", {7, 0}, {8, 0}, {five0AndNine, five1, openFour0, {}, {}, {}}},
      {"five to occupied", {8, 0}, {0, 0}, {five0, five1, openFour0, {}, {}, {}}},
      {"four to five in both", {6, 6}, {8, 8}, {five0AndNine, five1AndNine, openFour0, {}, {}, {}}},
      {"equal pairs", {8, 8}, {8, 8}, {five0AndNine, five1AndNine, openFour0, {}, {}, {}}},
      {"slot 1 alone", {6, 5}, {6, 7}, {five0, five1, openFour0, nine, nine, {}}},
      {"below four", {3, 4}, {5, 2}, {five0, five1, openFour0, {}, {}, {}}},
  };
  for (const Case& c : cases) {
    TThreatLists lists;
    UpdateThreatLists(lists, 1, 1, {0, 0}, {8, 0});
    UpdateThreatLists(lists, 2, 2, {0, 0}, {0, 8});
    UpdateThreatLists(lists, 3, 3, {0, 0}, {7, 0});
    UpdateThreatLists(lists, 9, 9, {0, 0}, c.Old);  // where its old pair puts it
    UpdateThreatLists(lists, 9, 9, c.Old, c.New);
    EXPECT_EQ(Contents(lists), c.Expected) << c.Name;
  }
}

// A square leaves its list from wherever it stands (the first occurrence) and re-enters at the
// end; removing a square the list does not hold is a no-operation.
TEST(ThreatLists, RemovalTakesTheFirstOccurrenceAndAddingAppends) {
  TThreatLists lists;
  for (int x : {3, 4, 5}) UpdateThreatLists(lists, x, 0, {0, 0}, {6, 0});
  UpdateThreatLists(lists, 4, 0, {6, 0}, {0, 0});
  EXPECT_EQ(Squares(lists.FourSquares[0]), (TSquareList{{3, 0}, {5, 0}}));
  UpdateThreatLists(lists, 4, 0, {6, 0}, {0, 0});  // not held
  UpdateThreatLists(lists, 4, 0, {0, 0}, {6, 0});
  EXPECT_EQ(Squares(lists.FourSquares[0]), (TSquareList{{3, 0}, {5, 0}, {4, 0}}));

  TXYList doubled;  // not something the engine builds, but Remove must take one only
  doubled.Add(lists.Lookup(7, 7));
  doubled.Add(lists.Lookup(8, 8));
  doubled.Add(lists.Lookup(7, 7));
  doubled.Remove(lists.Lookup(7, 7));
  EXPECT_EQ(Squares(doubled), (TSquareList{{8, 8}, {7, 7}}));
}

TEST(ThreatLists, OffBoardSquaresChangeNothing) {
  TThreatLists lists;
  UpdateThreatLists(lists, 0, 0, {0, 0}, {6, 6});
  // (0, 20) and (1, -20) would land on real pool items (index 20 and 0) if they got through.
  for (auto [x, y] : {std::pair{-1, 0}, {20, 0}, {0, 20}, {1, -20}, {0, -1}})
    UpdateThreatLists(lists, x, y, {0, 6}, {8, 8});
  EXPECT_EQ(Contents(lists), (TListContents{{{}, {}, {}, {}, {{0, 0}}, {{0, 0}}}}));
}

// Stepping back over an off-board square reads no cell outside the padded board; of its reach,
// only the on-board squares are synced.
TEST(ThreatLists, SyncOverAnOffBoardSquareTouchesOnlyOnBoardSquares) {
  TPosition from{}, to{};
  InitPosition(from);
  InitPosition(to);
  to.Cell(0, 0).TopClass = {kClassFive, kClassFour};
  TThreatLists lists;
  for (auto [x, y] : {std::pair{-9, -9}, {30, 2}, {0, 24}, {-5, 10}})  // nothing on board in reach
    SyncThreatLists(lists, x, y, from, to);
  EXPECT_EQ(Contents(lists), TListContents{});
  SyncThreatLists(lists, -1, 0, from, to);  // (0, 0) is one step away
  EXPECT_EQ(Contents(lists), (TListContents{{{{0, 0}}, {}, {}, {}, {}, {{0, 0}}}}));
}

TEST(ThreatLists, RescanAllListsOpenFourSquaresInScanOrder) {
  BuildPairClass();
  TSideMaps sides;
  sides.OwnStone = kStoneO;
  SetSideMaps(sides);
  TPosition position{};
  InitPosition(position);
  for (int x : {5, 6, 7}) PlaceStone(sides, kStoneO, x, 5, position);
  PlaceStone(sides, kStoneX, 12, 12, position);
  TThreatLists lists;
  RescanAll(position, &lists);
  EXPECT_EQ(Contents(lists), (TListContents{{{},
                                             {},
                                             {{4, 5}, {8, 5}},
                                             {},
                                             {{3, 5}, {9, 5}},  // broken fours: 3.567 and 567.9
                                             {}}}));
}

class SyncThreatListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildPairClass();
    sides_.OwnStone = kStoneX;
    SetSideMaps(sides_);
    InitPosition(position_);
  }
  void Play(uint8_t stone, int x, int y) { MakeMove(sides_, stone, x, y, &lists_, position_); }

  TSideMaps sides_;
  TPosition position_{};
  TThreatLists lists_;
};

// x: 5, 6, 7 on row 5; an o on (9, 5) turns the open four square (8, 5) into a four square.
TEST_F(SyncThreatListsTest, SteppingBackRestoresTheListsOfAWorkedPosition) {
  for (int x : {5, 6, 7}) PlaceStone(sides_, kStoneX, x, 5, position_);
  RescanAll(position_, &lists_);
  const TListContents before = Contents(lists_);
  ASSERT_EQ(before[2], (TSquareList{{4, 5}, {8, 5}}));
  ASSERT_EQ(before[4], (TSquareList{{3, 5}, {9, 5}}));

  const TPosition earlier = position_;
  Play(kStoneO, 9, 5);
  EXPECT_EQ(Squares(lists_.OpenFourSquares[0]), (TSquareList{{4, 5}}));
  EXPECT_EQ(Squares(lists_.FourSquares[0]), (TSquareList{{3, 5}, {8, 5}}));

  SyncThreatLists(lists_, 9, 5, position_, earlier);
  EXPECT_EQ(Contents(lists_), before);
  // And forward again, as when the search revisits the same copy.
  SyncThreatLists(lists_, 9, 5, earlier, position_);
  EXPECT_EQ(Squares(lists_.FourSquares[0]), (TSquareList{{3, 5}, {8, 5}}));
}

// Random middle-game positions: stepping back from any move gives the earlier lists. A square
// that changed class re-enters its old list at the end, so the order is the earlier one for the
// squares the move left alone; the members are the same in every case.
TEST_F(SyncThreatListsTest, SteppingBackFromRandomMovesRestoresTheLists) {
  TRandom rng(20240611);
  for (int game = 0; game < 20; ++game) {
    InitPosition(position_);
    for (TXYList* list :
         {&lists_.FiveSquares[0], &lists_.FiveSquares[1], &lists_.OpenFourSquares[0],
          &lists_.OpenFourSquares[1], &lists_.FourSquares[0], &lists_.FourSquares[1]})
      list->Clear();
    RescanAll(position_, &lists_);
    uint8_t stone = kStoneX;
    for (int move = 0; move < 60; ++move) {
      int x, y;
      do {
        x = 4 + rng.Random(12);
        y = 4 + rng.Random(12);
      } while (position_.Cell(x, y).Stone != kEmpty);
      const TPosition earlier = position_;
      const TListContents before = Contents(lists_);
      Play(stone, x, y);
      SyncThreatLists(lists_, x, y, position_, earlier);
      const TListContents restored = Contents(lists_);
      for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(Sorted(restored[i]), Sorted(before[i]))
            << kListNames[i] << " after stepping back from " << x << "," << y << "\n"
            << BoardPicture(position_);
        // Squares outside the move's reach keep their relative order.
        const auto untouched = [&](const TSquareList& list) {
          TSquareList kept;
          for (auto [sx, sy] : list)
            if (earlier.Cell(sx, sy).TopClass == position_.Cell(sx, sy).TopClass)
              kept.emplace_back(sx, sy);
          return kept;
        };
        ASSERT_EQ(untouched(restored[i]), untouched(before[i])) << kListNames[i];
      }
      SyncThreatLists(lists_, x, y, earlier, position_);  // continue the game from the new copy
      stone = OppositeStone[stone];
    }
  }
}

}  // namespace
}  // namespace zarvo
