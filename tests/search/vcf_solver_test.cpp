#include "search/vcf_solver.h"

#include <gtest/gtest.h>

#include "tests/search/search_fixture.h"

namespace zarvo {
namespace {

using testing::Picture;
using testing::TSearchSetup;

// x closed three in row 5 and closed three in column 8: (8,5) makes two fours at once.
constexpr const char* kDoubleFour = "x 5,5 6,5 7,5 8,6 8,7 8,8 o 4,5 8,9";
// Column 10 gives a four at (10,5); after its block, (12,5) makes fours in row 5 and column 12.
// The stones at (15,5) and (14,6) close the lines that would otherwise win sooner.
constexpr const char* kWinInTwo = "x 10,2 10,3 10,4 13,5 14,5 12,6 12,7 12,8 o 10,1 12,9 15,5 14,6";

TEST(VcfSolver, SolveVcfPuzzles) {
  struct Case {
    const char* What;
    const char* Stones;
    int X, Y;
    bool Wins;
  } const cases[] = {
      {"a double four", kDoubleFour, 8, 5, true},
      // The attacker moves first: its five ends the game before the defender's.
      {"a five-square wins though the defender has one too",
       "x 5,5 6,5 7,5 8,5 o 4,5 12,12 12,13 12,14 12,15", 9, 5, true},
      {"a single four with nothing behind it", "x 5,5 6,5 7,5 o 4,5", 8, 5, false},
      {"the block also completes the defender's five", "x 5,5 6,5 7,5 o 4,5 9,2 9,3 9,4 9,6", 8, 5,
       false},
      // The block at (9,10) makes the defender four 9,10..13; the attacker's forced answer (9,9)
      // is an open four for it.
      {"the answer to a defender four is an open four",
       "x 5,10 6,10 7,10 9,14 10,9 11,9 12,9 "
       "o 4,10 9,11 9,12 9,13",
       8, 10, true},
      {"the answer to a defender four makes nothing",
       "x 5,10 6,10 7,10 9,14 "
       "o 4,10 9,11 9,12 9,13",
       8, 10, false},
      // The four at (8,5) also makes an open three in column 8, but its block at (9,5) gives the
      // defender an open four in column 9: two five-squares, and the attacker has no five.
      {"the block makes two defender fours", "x 5,5 6,5 7,5 8,6 8,7 o 4,5 9,6 9,7 9,8", 8, 5,
       false},
      // After (10,5) and its block, (12,5) makes two fours: a win in two.
      {"a win in two fours", kWinInTwo, 10, 5, true},
      {"an off-board start", kDoubleFour, 20, 5, false},
  };
  for (const Case& c : cases) {
    TSearchSetup setup(c.Stones);
    TSearchNode node;
    EXPECT_EQ(node.SolveVcf(setup.state, setup.Root(), c.X, c.Y, 0), c.Wins)
        << c.What << "\n"
        << Picture(setup.Root());
  }
}

// Three groups: the win in two first in list order, then double fours at (15,15) and (17,9).
const std::string kThreeWins = std::string(kWinInTwo) +
                               " x 14,9 15,9 16,9 17,10 17,11 17,12 o 13,9 17,13"
                               " x 12,15 13,15 14,15 15,16 15,17 15,18 o 11,15 15,19";

TEST(VcfSolver, FindVcfTakesTheFirstWinAndFindShortestVcfTheLastOfTheShortest) {
  TSearchSetup setup(kThreeWins);
  const TXYList& fours = setup.lists.FourSquares[0];

  TSearchNode first;
  ASSERT_TRUE(first.FindVcf(setup.state, setup.Root(), fours, 0)) << Picture(setup.Root());
  EXPECT_EQ(first.X, 10);
  EXPECT_EQ(first.Y, 5);

  TSearchNode shortest;
  ASSERT_TRUE(shortest.FindShortestVcf(setup.state, setup.Root(), fours, 0));
  EXPECT_EQ(shortest.X, 17);
  EXPECT_EQ(shortest.Y, 9);
  EXPECT_EQ(shortest.BestDepth, 1);
  EXPECT_EQ(shortest.Depth, 0);
}

TEST(VcfSolver, ShortestSearchReportsTheLengthOfALongerWin) {
  TSearchSetup setup(kWinInTwo);
  TSearchNode node;
  ASSERT_TRUE(node.FindShortestVcf(setup.state, setup.Root(), setup.lists.FourSquares[0], 0));
  EXPECT_EQ(node.BestDepth, 2) << int(node.X) << "," << int(node.Y);
}

TEST(VcfSolver, NothingIsFoundOnceTimeIsUpOrInAnEmptyList) {
  TSearchSetup setup(kThreeWins);
  TSearchNode node;
  EXPECT_FALSE(node.FindVcf(setup.state, setup.Root(), TXYList{}, 0));
  EXPECT_FALSE(node.FindShortestVcf(setup.state, setup.Root(), TXYList{}, 0));
  setup.state.Time.TimeBudget = std::chrono::milliseconds(0);
  setup.state.Time.StartTime -= std::chrono::seconds(1);
  EXPECT_FALSE(node.FindVcf(setup.state, setup.Root(), setup.lists.FourSquares[0], 0));
  EXPECT_EQ(node.X, kNoSquare);
  EXPECT_EQ(node.Y, kNoSquare);
}

// Move selection bounds the shortest search by the clock once a win is proven: with time left it
// finds what the unbounded search finds; with the budget spent it examines nothing more.
TEST(VcfSolver, ShortestSearchBoundByTheClock) {
  TSearchSetup setup(kThreeWins);
  const TXYList& fours = setup.lists.FourSquares[0];
  TSearchNode bounded;
  ASSERT_TRUE(bounded.FindShortestVcf(setup.state, setup.Root(), fours, 0, true));
  EXPECT_EQ(bounded.X, 17);
  EXPECT_EQ(bounded.Y, 9);
  EXPECT_EQ(bounded.BestDepth, 1);

  setup.state.Time.TimeBudget = std::chrono::milliseconds(0);
  setup.state.Time.StartTime -= std::chrono::seconds(1);
  while (!setup.state.Time.TimeIsUp()) {
  }  // the clock is read on every hundredth check
  const uint64_t callsBefore = setup.state.Search.SolverCalls;
  TSearchNode late;
  EXPECT_FALSE(late.FindShortestVcf(setup.state, setup.Root(), fours, 0, true));
  EXPECT_EQ(late.X, kNoSquare);
  EXPECT_EQ(setup.state.Search.SolverCalls, callsBefore);
  TSearchNode unbounded;
  EXPECT_TRUE(unbounded.FindShortestVcf(setup.state, setup.Root(), fours, 0));
}

}  // namespace
}  // namespace zarvo
