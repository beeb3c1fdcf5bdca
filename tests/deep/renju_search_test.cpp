// The deep search under renju: black never plays a forbidden square, nor counts on one, and
// white wins with a four whose block would be forbidden; whole games of the engine against
// itself with every black move judged by the plain reading of the rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "base/random.h"
#include "deep/deep_search.h"
#include "deep/forbidden.h"
#include "tests/deep/deep_test_support.h"
#include "tests/deep/plain_renju.h"

namespace zarvo::deep {
namespace {

using testing::BoardOf;
using testing::Unhurried;

// Squares that win for black by exactly five (two fours, two open threes): forbidden under
// renju, where black plays elsewhere (and may still win otherwise).
TEST(RenjuSearch, BlackNeverPlaysTheForbiddenWinningSquare) {
  const struct {
    const char* Name;
    std::initializer_list<std::string_view> Rows;
    int X, Y;
  } cases[] = {
      {"four-four",
       {".", ".", ".", ".", ".......o", ".......x", ".......x", ".......x", "...oxxx.", "."},
       7,
       8},
      {"three-three", {".", ".", ".", ".", ".", "......x", "......x", "....xx.", ".", "."}, 6, 7},
      {"four-four on one line", {".", ".", ".", ".", ".", ".", ".", "..ox.x.x.xo", "."}, 6, 7},
  };
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  for (const auto& c : cases) {
    const TSquareIndex square = SquareAt(c.X, c.Y);
    for (const TRule rule : {TRule::ExactlyFive, TRule::Renju}) {
      auto board = std::make_unique<TDeepBoard>(BoardOf(c.Rows, 'x', 15, rule));
      search->Clear();
      const TSearchResult result = search->Think(*board, Unhurried(6));
      if (rule == TRule::ExactlyFive) {
        EXPECT_EQ(result.Move, square) << c.Name;
        EXPECT_GT(result.Score, kWinBound) << c.Name;
      } else {
        ASSERT_TRUE(IsForbidden(*board, square)) << c.Name;
        EXPECT_NE(result.Move, square) << c.Name << " " << result.Reason;
        EXPECT_TRUE(board->IsEmpty(result.Move) && !IsForbidden(*board, result.Move)) << c.Name;
      }
    }
  }
}

// Black on 6,7 would make an overline, forbidden under renju: white's four at 6,11 can only be
// blocked there, so it wins; by exactly five black blocks it.
const std::initializer_list<std::string_view> kOverlineBlock = {
    ".",         ".",       ".",       ".",       ".", ".",      "......x",
    "...xxx.xx", "......o", "......o", "......o", ".", "......x"};

TEST(RenjuSearch, WhiteWinsWithAFourBlackCannotBlock) {
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  for (const TRule rule : {TRule::Renju, TRule::ExactlyFive}) {
    auto board = std::make_unique<TDeepBoard>(BoardOf(kOverlineBlock, 'o', 15, rule));
    search->Clear();
    const TSearchResult result = search->Think(*board, Unhurried(4));
    if (rule == TRule::Renju) {
      EXPECT_EQ(result.Move, SquareAt(6, 11)) << result.Reason;
      EXPECT_EQ(result.Score, kWinScore - 3) << result.Reason;
    } else {
      EXPECT_LT(result.Score, kWinBound) << result.Reason;
    }
  }
  // Black to move against that four: lost, and its answer is still an allowed square.
  auto board = std::make_unique<TDeepBoard>(BoardOf(kOverlineBlock, 'x', 15, TRule::Renju));
  board->Place(SquareAt(6, 11), 1);
  for (const bool solvers : {true, false}) {
    TSearchLimits limits = Unhurried(4);
    limits.RootSolvers = solvers;
    search->Clear();
    const TSearchResult result = search->Think(*board, limits);
    EXPECT_NE(result.Move, SquareAt(6, 7));
    EXPECT_TRUE(board->IsEmpty(result.Move) && !IsForbidden(*board, result.Move));
    EXPECT_EQ(result.Score, -(kWinScore - 2));
  }
}

// Whole games on 15 x 15 from crowded random openings (where forbidden squares come early), at
// 20 ms a move: every black move allowed, every five the mover had was taken, and the game ends
// in a five by the rule.
TEST(RenjuSearch, SelfPlayGamesAreLegalToTheEnd) {
  TRandom random(0x9E3779B9u);
  const auto next = [&random](int bound) { return random.Random(bound); };
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  constexpr int kGames = 16;
  int finished = 0, forbiddenOffered = 0;
  for (int game = 0; game < kGames; ++game) {
    auto board = std::make_unique<TDeepBoard>(15, 15, TRule::Renju);
    // Eight stones in the middle 5 x 5, black's allowed and no five among them.
    while (board->StoneCount() < 8) {
      const TSquareIndex square = SquareAt(5 + next(5), 5 + next(5));
      const testing::TPlainBoard plain = testing::PlainOf(*board);
      const int x = SquareX(square), y = SquareY(square), side = board->SideToMove();
      if (board->IsEmpty(square) && !testing::PlainFive(plain, x, y, side) &&
          (side == 1 || !testing::PlainForbidden(plain, x, y)))
        board->Move(square);
    }
    search->Clear();
    int winner = -1;
    while (winner < 0 && !board->Full()) {
      const int side = board->SideToMove();
      // A clock, unlike the other tests: the checks hold whatever the search finds in its time,
      // and a checking build's slower search costs no more test time.
      TSearchLimits limits = Unhurried(3);
      limits.SoftMs = limits.HardMs = 20;
      limits.RootVctNodes = 5'000;
      const TSearchResult result = search->Think(*board, limits);
      ASSERT_TRUE(board->IsEmpty(result.Move));
      const testing::TPlainBoard plain = testing::PlainOf(*board);
      const int x = SquareX(result.Move), y = SquareY(result.Move);
      if (side == 0) {
        for (int fy = 0; fy < 15; ++fy)
          for (int fx = 0; fx < 15; ++fx)
            forbiddenOffered +=
                board->IsNearStones(SquareAt(fx, fy)) && testing::PlainForbidden(plain, fx, fy);
        ASSERT_FALSE(testing::PlainForbidden(plain, x, y))
            << "game " << game << ": black's move " << board->StoneCount() + 1 << " at " << x << ","
            << y << " by " << result.Reason;
      }
      bool fiveThere = false;
      for (int fy = 0; fy < 15; ++fy)
        for (int fx = 0; fx < 15; ++fx)
          fiveThere = fiveThere || testing::PlainFive(plain, fx, fy, side);
      const bool five = testing::PlainFive(plain, x, y, side);
      ASSERT_EQ(five, fiveThere) << "game " << game << ": move " << board->StoneCount() + 1
                                 << " by " << result.Reason;
      board->Move(result.Move);
      if (five) winner = side;
    }
    finished += winner >= 0;
  }
  // Every game ends in a five (who wins more is the engine's business).
  EXPECT_EQ(finished, kGames);
  // Black had forbidden squares near the stones to refuse, game after game.
  EXPECT_GE(forbiddenOffered, kGames);
}

}  // namespace
}  // namespace zarvo::deep
