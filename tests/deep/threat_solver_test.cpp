// The threat solvers on positions with known answers: every continuous four they claim is
// replayed by rules of its own, and a position without a win is never claimed.
#include "deep/threat_solver.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/deep/deep_test_support.h"

namespace zarvo::deep {
namespace {

using testing::BoardOf;
using testing::Puzzles;

// Replays a continuous-four line: every attacking move makes a four (or blocks the defender's
// four with one), every defence is the block of the only square that makes five, and the line
// ends in a five or an open four the defender cannot answer with a four.
::testing::AssertionResult WinsByFours(TDeepBoard& board, const std::vector<TSquareIndex>& line) {
  const int attacker = board.SideToMove(), defender = Opponent(attacker);
  int played = 0;
  const auto result = [&](::testing::AssertionResult r) {
    while (played-- > 0) board.Undo();
    return r;
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const TSquareIndex square = line[i];
    if (!board.IsEmpty(square)) return result(::testing::AssertionFailure() << "occupied " << i);
    if (i % 2 == 0) {
      const TPattern4 made = board.Class(square, attacker);
      if (made == P4Five) return result(::testing::AssertionSuccess());
      if (board.ClassCount(defender, P4Five) > 0 && board.Class(square, defender) != P4Five)
        return result(::testing::AssertionFailure() << "a four left unblocked at " << i);
      board.Move(square);
      ++played;
      if (board.ClassCount(attacker, P4Five) == 0)
        return result(::testing::AssertionFailure() << "no four at move " << i);
      if (i + 1 == line.size()) {
        const bool unanswerable = board.ClassCount(attacker, P4Five) >= 2 &&
                                  board.ClassCountAtLeast(defender, P4Block4) == 0;
        return result(unanswerable ? ::testing::AssertionSuccess()
                                   : ::testing::AssertionFailure() << "the line stops early");
      }
    } else {
      if (board.ClassCount(defender, P4Five) > 0)
        return result(::testing::AssertionFailure() << "the defender had a five at " << i);
      if (board.ClassCount(attacker, P4Five) == 1 && board.Class(square, attacker) != P4Five)
        return result(::testing::AssertionFailure() << "not the block at " << i);
      board.Move(square);
      ++played;
    }
  }
  return result(::testing::AssertionFailure() << "no five at the end");
}

TEST(ThreatSolver, FindsTheShortestContinuousFourWins) {
  const auto puzzles = Puzzles("vcf");
  ASSERT_GE(puzzles.size(), 10u);
  auto solver = std::make_unique<TThreatSolver>();
  for (const auto& puzzle : puzzles) {
    auto board = std::make_unique<TDeepBoard>(puzzle.Board());
    const uint64_t key = board->Hash();
    EXPECT_EQ(solver->FindVcf(*board, puzzle.Number - 1, 2'000'000), kNoSquare) << puzzle.Name();
    const TSquareIndex move = solver->FindVcf(*board, puzzle.Number, 2'000'000);
    ASSERT_NE(move, kNoSquare) << puzzle.Name();
    EXPECT_TRUE(WinsByFours(*board, solver->Line())) << puzzle.Name();
    EXPECT_EQ(board->Hash(), key) << "the board comes back as it was";
  }
}

TEST(ThreatSolver, FindsThreatSequencesWithOpenThrees) {
  const auto puzzles = Puzzles("vct");
  ASSERT_GE(puzzles.size(), 4u);
  auto solver = std::make_unique<TThreatSolver>();
  for (const auto& puzzle : puzzles) {
    auto board = std::make_unique<TDeepBoard>(puzzle.Board());
    EXPECT_EQ(solver->FindVcf(*board, 40, 2'000'000), kNoSquare) << puzzle.Name();
    // A node limit rather than a clock, so slow builds agree; in a Release build on this
    // machine each needs well under a second (the largest about 300,000 nodes).
    TSquareIndex move = kNoSquare;
    for (int threats = 3; threats <= 11 && move == kNoSquare; threats += 2)
      move = solver->FindVct(*board, threats, 1'000'000);
    ASSERT_NE(move, kNoSquare) << puzzle.Name();
    EXPECT_GE(board->Class(move, board->SideToMove()), P4Flex3) << puzzle.Name();
  }
}

TEST(ThreatSolver, ClaimsNoWinThatADefenceRefutes) {
  // x's four-three at 8,5 would win, but o's block at 9,5 makes o a four: x must answer it and
  // o then stops the three.
  TDeepBoard refuted = BoardOf({".", ".........x", ".........o", ".........o", ".........o",
                                "....oxxx", "........x", "........x"},
                               'x');
  auto solver = std::make_unique<TThreatSolver>();
  EXPECT_EQ(solver->FindVcf(refuted, 20, 1'000'000), kNoSquare);
  // Without o's three the same four-three wins.
  TDeepBoard winning =
      BoardOf({".", ".", ".", ".", ".", "....oxxx", "........x", "........x"}, 'x');
  EXPECT_EQ(solver->FindVcf(winning, 20, 1'000'000), SquareAt(8, 5));
  EXPECT_TRUE(WinsByFours(winning, solver->Line()));
  // A lone open two: one three, answered at either end, is no win.
  TDeepBoard two = BoardOf({".", ".", ".", "....xx"}, 'x');
  EXPECT_EQ(solver->FindVct(two, 9, 1'000'000), kNoSquare);
  EXPECT_EQ(solver->FindVcf(two, 9, 1'000'000), kNoSquare);
}

// The length of a win and the check that a move kept one: the four-three at 8,5 wins in five
// plies (four, block, open four, any, five); each continuous-four puzzle's first move leaves
// the defender lost, a quiet move does not.
TEST(ThreatSolver, CountsThePliesToTheFiveAndProvesAMoveKeptTheWin) {
  auto solver = std::make_unique<TThreatSolver>();
  TDeepBoard fourThree =
      BoardOf({".", ".", ".", ".", ".", "....oxxx", "........x", "........x"}, 'x');
  ASSERT_EQ(solver->FindVcf(fourThree, 20, 1'000'000), SquareAt(8, 5));
  EXPECT_EQ(solver->WinPlies(), 5);
  EXPECT_EQ(solver->FindVct(fourThree, 20, 1'000'000), SquareAt(8, 5));
  EXPECT_EQ(solver->WinPlies(), 5);

  for (const auto& puzzle : Puzzles("vcf")) {
    auto board = std::make_unique<TDeepBoard>(puzzle.Board());
    const TSquareIndex move = solver->FindVcf(*board, puzzle.Number, 2'000'000);
    ASSERT_NE(move, kNoSquare) << puzzle.Name();
    const int plies = solver->WinPlies();
    EXPECT_GE(plies, static_cast<int>(solver->Line().size())) << puzzle.Name();
    EXPECT_EQ(plies % 2, 1) << puzzle.Name() << ": the attacker makes the five";
    board->Move(move);
    EXPECT_TRUE(solver->DefenderLoses(*board, puzzle.Number, 2'000'000)) << puzzle.Name();
    board->Undo();
    board->Move(SquareAt(0, 19));
    EXPECT_FALSE(solver->DefenderLoses(*board, puzzle.Number, 2'000'000)) << puzzle.Name();
    board->Undo();
  }
}

}  // namespace
}  // namespace zarvo::deep
