#include "search/threat_search.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

#include "base/random.h"
#include "tests/search/search_fixture.h"

namespace zarvo {
namespace {

using testing::Picture;
using testing::TSearchSetup;

// The squares of the six lists, each list as a set: stepping back re-appends the squares of a
// move, so a list holds the same squares again but not always in the same order.
using TListsSnapshot = std::vector<std::set<std::pair<int, int>>>;

TListsSnapshot Snapshot(const TThreatLists& lists) {
  TListsSnapshot snapshot;
  for (int slot = 0; slot < 2; ++slot)
    for (const TXYList* list :
         {&lists.FiveSquares[slot], &lists.OpenFourSquares[slot], &lists.FourSquares[slot]}) {
      auto& squares = snapshot.emplace_back();
      for (const TSquare* xy : *list) squares.emplace(xy->X, xy->Y);
    }
  return snapshot;
}

int32_t SearchMove(TSearchSetup& setup, int x, int y) {
  setup.context->PlayedX[1] = static_cast<int8_t>(x);
  setup.context->PlayedY[1] = static_cast<int8_t>(y);
  return ThreatSearch(setup.state, *setup.context, -49999, -49999);
}

// x (slot 0) moves at level 1.
TEST(ThreatSearch, ForcedOutcomes) {
  constexpr int32_t kWin = 50014;  // 50015 - level 1
  constexpr int32_t kLoss = -50014;
  struct Case {
    const char* What;
    const char* Stones;
    int X, Y;
    int MaxDepth;
    int32_t Value;
  } const cases[] = {
      {"the mover already holds a five-square", "x 5,5 6,5 7,5 8,5 o 4,5 3,3", 15, 15, 9, kWin},
      {"the move makes two five-squares", "x 5,5 6,5 7,5 8,6 8,7 8,8 o 4,5 8,9", 8, 5, 9, kWin},
      {"the opponent holds two five-squares", "x 1,1 o 5,5 6,5 7,5 8,6 8,7 8,8 8,5", 15, 15, 9,
       kLoss},
      {"the block of the mover's four completes the opponent's five",
       "x 5,5 6,5 7,5 o 4,5 9,2 9,3 9,4 9,6", 8, 5, 9, kLoss},
      {"the opponent keeps an open four", "x 1,1 o 5,5 6,5 7,5", 15, 15, 9, kLoss},
      {"the opponent wins by continuous fours", "x 1,1 o 5,5 6,5 7,5 8,6 8,7 8,8 x 4,5 8,9", 15, 15,
       9, kLoss},
  };
  for (const Case& c : cases) {
    TSearchSetup setup(c.Stones, kStoneX, c.MaxDepth);
    const TListsSnapshot before = Snapshot(setup.lists);
    EXPECT_EQ(SearchMove(setup, c.X, c.Y), c.Value) << c.What << "\n" << Picture(setup.Root());
    EXPECT_EQ(Snapshot(setup.lists), before) << c.What;
  }
}

TEST(ThreatSearch, TheSolverIsNotAskedAtTheDepthLimit) {
  TSearchSetup setup("x 1,1 o 5,5 6,5 7,5 8,6 8,7 8,8 x 4,5 8,9", kStoneX, 1);
  const int32_t value = SearchMove(setup, 15, 15);
  EXPECT_EQ(value, setup.context->LevelTally[1]);
  EXPECT_EQ(setup.state.Search.SolverCalls, 0u);
}

TEST(ThreatSearch, AFourGetsTheSingleBlockAsItsOnlyReply) {
  TSearchSetup setup("x 5,5 6,5 7,5 o 4,5 12,12", kStoneX, 1);
  SearchMove(setup, 8, 5);
  const TCandidateList& replies = setup.context->LevelCandidates[2];
  EXPECT_EQ(setup.context->PlayedX[2], 9);
  EXPECT_EQ(setup.context->PlayedY[2], 5);
  EXPECT_EQ(replies[0].X, 9);
  EXPECT_EQ(replies[0].Y, 5);
  for (int k = 1; k < kCandidateSlots; ++k)
    EXPECT_EQ(replies[k].Value, (std::array<int32_t, 2>{-1, -1})) << k;
}

TEST(ThreatSearch, AnOpenFourThreatIsAnsweredOnItsSquaresAndTheFivesBehindThem) {
  TSearchSetup setup("x 5,5 6,5 o 12,12 13,12", kStoneX, 1);
  SearchMove(setup, 7, 5);
  std::vector<std::pair<int, int>> squares;
  for (const TSquare* xy : setup.context->ScratchList) squares.emplace_back(xy->X, xy->Y);
  // The open-four squares in list order ((8,5) entered first), then the fives behind each.
  EXPECT_EQ(squares, (std::vector<std::pair<int, int>>{{8, 5}, {4, 5}, {9, 5}, {3, 5}}));
  const TCandidateList& replies = setup.context->LevelCandidates[2];
  for (int k = 0; k < 4; ++k) EXPECT_GE(replies[k].Value[0], 1000);
  EXPECT_EQ(replies[4].Value[1], kUnfilledMark);
}

// Whatever a search does below, the level, the side and every list are as they were on entry.
TEST(ThreatSearch, RestoresLevelSideAndListsOnEveryReturn) {
  TRandom rng(2024);
  for (int game = 0; game < 12; ++game) {
    std::string stones;
    std::set<std::pair<int, int>> taken;
    const int count = 6 + rng.Random(24);
    for (int k = 0; k < count; ++k) {
      const int x = 4 + rng.Random(12);
      const int y = 4 + rng.Random(12);
      if (!taken.emplace(x, y).second) continue;
      stones += std::string(k % 2 ? " o " : " x ") + std::to_string(x) + "," + std::to_string(y);
    }
    TSearchSetup setup(stones, kStoneX, 3 + 2 * (game % 2));
    TPosition& root = setup.Root();
    root.Margin = 2;
    TCandidateList candidates{};
    ScanCandidates(0, root, candidates);
    const TListsSnapshot before = Snapshot(setup.lists);
    for (int k = 0; k < 3 && candidates[k].Value[0] > 0; ++k) {
      SearchMove(setup, candidates[k].X, candidates[k].Y);
      ASSERT_EQ(setup.state.Search.CurrentLevel, 1);
      ASSERT_EQ(setup.state.Search.SideIndex, 0);
      ASSERT_EQ(Snapshot(setup.lists), before) << Picture(root);
    }
  }
}

TEST(ThreatSearch, RestoresLevelSideAndListsWhenAnExceptionPasses) {
  TSearchSetup setup("x 8,8 9,9 10,8 o 9,8 8,9 11,10", kStoneX, 5);
  // Every time check reads the clock, and the clock fails once the search is three levels down.
  TEngineState& state = setup.state;
  state.Time.Clock = [&state] {
    state.Time.TimeCheckCounter = 0;
    if (state.Search.CurrentLevel >= 3) throw std::runtime_error("clock failure");
    return TMonotonicClock::now();
  };
  const TListsSnapshot before = Snapshot(setup.lists);
  EXPECT_THROW(SearchMove(setup, 10, 10), std::runtime_error);
  EXPECT_EQ(setup.state.Search.CurrentLevel, 1);
  EXPECT_EQ(setup.state.Search.SideIndex, 0);
  EXPECT_EQ(Snapshot(setup.lists), before);
}

// Worked by hand from the line classes: an empty square in line with the stones gains, in that
// direction, the weight of its class for x over the weight 1 of a lone stone (open two 20, open
// three 100, closed two 1); o's lone stone weighs 1 in every direction, and occupied squares
// weigh nothing.
TEST(ThreatSearch, ThreatBalanceOfHandWorkedPositions) {
  struct Case {
    const char* Stones;
    int X, Y;
    int32_t Balance;  // for x; o gets its negative
  } const cases[] = {
      // 24 squares at distance 1..3 make open twos: 24 * 19. Those at distance 4 make closed
      // twos and gain nothing.
      {"x 9,9", 9, 9, 456},
      // Open twos at (7,8), (7,7), (8,6), (6,6), (5,7) and (4,8): 6 * 19. The row squares (7,9)
      // and (3,9), four away from the centre, make open threes: 2 * 99.
      {"x 5,9 6,9", 7, 5, 312},
  };
  for (const Case& c : cases) {
    TSearchSetup setup(c.Stones);
    EXPECT_EQ(ThreatBalance(setup.Root(), c.X, c.Y, 0), c.Balance) << c.Stones;
    EXPECT_EQ(ThreatBalance(setup.Root(), c.X, c.Y, 1), -c.Balance) << c.Stones;
  }
}

}  // namespace
}  // namespace zarvo
