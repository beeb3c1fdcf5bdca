#include "search/candidate_iteration.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/search/search_fixture.h"

namespace zarvo {
namespace {

TCell At(int x, int y) {
  TCell cell{};
  cell.X = static_cast<int8_t>(x);
  cell.Y = static_cast<int8_t>(y);
  return cell;
}

TEST(CandidateIteration, InLineAndIsNear) {
  EXPECT_TRUE(InLine(At(5, 5), At(9, 9)));
  EXPECT_FALSE(InLine(At(5, 5), At(10, 10)));
  EXPECT_FALSE(InLine(At(5, 5), At(6, 7)));
  EXPECT_TRUE(InLine(At(5, 5), At(5, 5)));
  EXPECT_TRUE(InLine(At(5, 5), At(1, 9)));
  EXPECT_TRUE(IsNear(At(5, 5), At(9, 1)));
  EXPECT_FALSE(IsNear(At(5, 5), At(10, 5)));
}

// A level's list of hand-made entries, side 0 to move: (x, own class, other class, score).
class NextCandidateTest : public ::testing::Test {
 protected:
  struct TEntry {
    int X;
    uint8_t Own, Other;
    int32_t Score;
  };

  void SetLevel(int level, std::initializer_list<TEntry> entries, int maxDepth = 9) {
    state_.MaxDepth = maxDepth;
    state_.Search.CurrentLevel = level;
    state_.Search.SideIndex = 0;
    context_.CandidateCursor[level] = 0;
    TCandidateList& list = context_.LevelCandidates[level];
    for (TCell& cell : list.Entries) cell.Value = {-100000, -100000};
    int k = 0;
    for (const TEntry& e : entries) {
      TCell& cell = list[k++];
      cell.X = static_cast<int8_t>(e.X);
      cell.Y = 0;
      cell.TopClass = {e.Own, e.Other};
      cell.Value = {e.Score, 0};
    }
  }

  std::vector<int> Yielded(int level, bool full) {
    std::vector<int> xs;
    while (NextCandidate(state_, context_, full)) xs.push_back(context_.PlayedX[level]);
    return xs;
  }

  TEngineState state_;
  TMoveContext context_;
};

TEST_F(NextCandidateTest, ShallowLevelsYieldEveryPositiveEntryInOrder) {
  SetLevel(2, {{1, 0, 0, 50}, {2, 0, 0, 40}, {3, 0, 0, 1}, {4, 0, 0, 0}, {5, 0, 0, 30}});
  EXPECT_EQ(Yielded(2, true), (std::vector<int>{1, 2, 3}));
  SetLevel(7, {{1, 0, 0, 50}, {2, 0, 0, 40}, {3, 0, 0, 1}});
  EXPECT_EQ(Yielded(7, false), (std::vector<int>{1, 2, 3}));  // forced replies are not pruned
}

TEST_F(NextCandidateTest, TheDepthLimitYieldsOneMove) {
  SetLevel(3, {{1, 0, 0, 50}, {2, 0, 0, 40}}, /*maxDepth=*/3);
  EXPECT_EQ(Yielded(3, true), (std::vector<int>{1}));
}

TEST_F(NextCandidateTest, DeepLevelsKeepOnlyStrongThreatsAndAnswers) {
  // Other class 5 alone is passed over; other class 6 answers; own and other below 5 end it.
  SetLevel(6, {{1, 0, 5, 90}, {2, 0, 6, 80}, {3, 2, 3, 70}, {4, 0, 7, 60}});
  EXPECT_EQ(Yielded(6, true), (std::vector<int>{2}));
}

TEST_F(NextCandidateTest, DeepOwnThreatsMustContinueTheAttack) {
  // Level 6, side 0: its previous move (level 4) at x = 10 made an open three.
  state_.Search.PlayedCells[4] = At(10, 0);
  state_.Search.PlayedCells[4].TopClass = {5, 0};
  state_.Search.PlayedCells[5] = At(0, 19);  // the opponent's last move, far away
  state_.Search.PlayedCells[3] = At(0, 19);
  state_.Search.PlayedCells[3].TopClass = {0, 0};  // the attack started at level 4
  SetLevel(6, {{1, 5, 0, 90}, {12, 5, 0, 80}, {2, 7, 0, 70}});
  // x = 1: far from the previous move, nothing earlier in the attack: passed over.
  // x = 12: near the previous move. x = 2: an open four is always tried.
  EXPECT_EQ(Yielded(6, true), (std::vector<int>{12, 2}));
}

}  // namespace
}  // namespace zarvo
