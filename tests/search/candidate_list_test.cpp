#include "search/candidate_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/search/search_fixture.h"

namespace zarvo {
namespace {

// A cell identified by its X, scored for side 0.
TCell Scored(int id, int32_t value) {
  TCell cell{};
  cell.X = static_cast<int8_t>(id);
  cell.Value = {value, 0};
  return cell;
}

// Fifteen entries scored 150, 140, ..., 10, ids 0..14.
TCandidateList Descending() {
  TCandidateList list{};
  for (int k = 0; k < kCandidateSlots; ++k) list[k] = Scored(k, 150 - 10 * k);
  return list;
}

std::vector<int> Ids(const TCandidateList& list) {
  std::vector<int> ids;
  for (const TCell& cell : list.Entries) ids.push_back(cell.X);
  return ids;
}

TEST(CandidateList, InsertCandidateKeepsTheFifteenBest) {
  struct Case {
    const char* What;
    int32_t Value;
    std::vector<int> Ids;
  } const cases[] = {
      {"a new score goes before the first lower entry",
       95,
       {0, 1, 2, 3, 4, 5, 99, 6, 7, 8, 9, 10, 11, 12, 13}},
      {"an equal score goes before the equal entry met",
       90,
       {0, 1, 2, 3, 4, 5, 99, 6, 7, 8, 9, 10, 11, 12, 13}},
      {"a score equal to the last entry is dropped",
       10,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
      {"a higher score displaces the last entry",
       15,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 99}},
      {"a new best goes first", 500, {99, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
  };
  for (const Case& c : cases) {
    TCandidateList list = Descending();
    InsertCandidate(0, Scored(99, c.Value), list);
    EXPECT_EQ(Ids(list), c.Ids) << c.What;
  }
}

TEST(CandidateList, SortCandidatesIsThePartitionExchangeSort) {
  TCandidateList list{};
  const int32_t values[kCandidateSlots] = {5, 9, 5, 1, 9, 5, 7, 3, 9, 5, 2, 8, 5, 6, 4};
  for (int k = 0; k < kCandidateSlots; ++k) list[k] = Scored(k, values[k]);
  SortCandidates(0, list, 0, kCandidateSlots - 1);
  for (int k = 1; k < kCandidateSlots; ++k) EXPECT_GE(list[k - 1].Value[0], list[k].Value[0]);
  // The order of equal scores is the sort's own, and decides which equal move is tried first.
  EXPECT_EQ(Ids(list), (std::vector<int>{8, 4, 1, 11, 6, 13, 12, 9, 2, 0, 5, 14, 7, 10, 3}));

  TCandidateList three{};
  for (int k = 0; k < 3; ++k) three[k] = Scored(k, 5);
  SortCandidates(0, three, 0, 2);
  EXPECT_EQ(three[0].X, 2);
  EXPECT_EQ(three[1].X, 1);
  EXPECT_EQ(three[2].X, 0);
}

TEST(CandidateList, ScanFillsAndMarksTheRankingSideOnly) {
  testing::TSearchSetup setup("x 9,9 o 10,10");
  TPosition& position = setup.Root();
  position.Margin = 1;  // a 4 x 4 area holding 14 empty squares
  TCandidateList list{};
  ScanCandidates(0, position, list);
  int filled = 0;
  for (int k = 0; k < kCandidateSlots; ++k) {
    if (list[k].Value[0] == kUnfilledMark) continue;
    ++filled;
    EXPECT_GT(list[k].Value[0], 0);
    EXPECT_TRUE(list[k].X >= 8 && list[k].X <= 11 && list[k].Y >= 8 && list[k].Y <= 11);
    if (k > 0) {
      EXPECT_GE(list[k - 1].Value[0], list[k].Value[0]);
    }
  }
  EXPECT_EQ(filled, 14);
  EXPECT_EQ(list[14].Value[0], kUnfilledMark);
  EXPECT_NE(list[14].Value[1], kUnfilledMark);

  // Clipped at the board's edge.
  position.Margin = 30;
  ScanCandidates(0, position, list);
  EXPECT_NE(list[14].Value[0], kUnfilledMark);
}

TEST(CandidateList, DefenceMovesAreWorthAThousandMoreAndMarkBothSides) {
  testing::TSearchSetup setup("x 9,9 o 10,10 11,11 12,12");
  TPosition& position = setup.Root();
  position.Cell(0, 0).Value = {0, 0};  // a square worth nothing still enters
  TXYList squares;
  squares.Add(setup.lists.Lookup(0, 0));
  squares.Add(setup.lists.Lookup(13, 13));
  TCandidateList list{};
  BuildDefenceMoves(0, squares, list, position);
  EXPECT_EQ(list[0].X, 13);
  EXPECT_EQ(list[0].Value[0], position.Cell(13, 13).Value[0] + 1000);
  EXPECT_EQ(list[1].X, 0);
  EXPECT_EQ(list[1].Value[0], 1000);
  EXPECT_EQ(list[1].Value[1], 1000);
  for (int k = 2; k < kCandidateSlots; ++k) {
    EXPECT_EQ(list[k].Value[0], kUnfilledMark);
    EXPECT_EQ(list[k].Value[1], kUnfilledMark);
  }
}

}  // namespace
}  // namespace zarvo
