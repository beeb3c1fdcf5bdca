// The deep board changed by Move and Undo must hold exactly what a board built from the same
// stones holds: patterns, classes, sums, counts, key.
#include "deep/deep_board.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

#include "board/state_check.h"
#include "tests/deep/deep_test_support.h"

namespace zarvo::deep {
namespace {

// A board built from scratch with the same stones, in the same order.
std::unique_ptr<TDeepBoard> Rebuilt(const TDeepBoard& board) {
  auto fresh = std::make_unique<TDeepBoard>(board.Width(), board.Height(), board.Rule());
  for (int i = 0; i < board.StoneCount(); ++i) fresh->Move(board.MoveAt(i));
  return fresh;
}

TEST(DeepBoard, MovesAndUndosKeepTheBoardEqualToAFreshOne) {
  std::mt19937 random(2026);
  for (const TRule rule : {TRule::Freestyle, TRule::ExactlyFive, TRule::Renju}) {
    for (const int size : {15, 17, 20}) {
      auto board = std::make_unique<TDeepBoard>(size, size, rule);
      for (int game = 0; game < 6; ++game) {
        // Stones crowd the middle so that long lines, fives and overlines appear; the later ones
        // reach the edges, so taking them back shrinks the stone area.
        const int stones = 20 + static_cast<int>(random() % 120);
        for (int i = 0; i < stones && !board->Full(); ++i) {
          TSquareIndex square;
          do {
            const int spread = i < 40 ? 7 : size;
            const int x = (size - spread) / 2 + static_cast<int>(random() % spread);
            const int y = (size - spread) / 2 + static_cast<int>(random() % spread);
            square = SquareAt(x, y);
          } while (!board->IsEmpty(square));
          board->Move(square);
          if (i % 8 == 0) {
            ASSERT_TRUE(board->SameAs(*Rebuilt(*board))) << "move " << i;
          }
        }
        ASSERT_TRUE(board->SameAs(*Rebuilt(*board))) << "size " << size << " game " << game;
        // Every position on the way back, down to the empty board, as a rebuild gives it.
        for (int undo = static_cast<int>(random() % stones); undo > 0; --undo) {
          board->Undo();
          ASSERT_TRUE(board->SameAs(*Rebuilt(*board)))
              << "after undo, size " << size << ", " << board->StoneCount() << " stones";
        }
        while (board->StoneCount() > 0) board->Undo();
        ASSERT_TRUE(board->SameAs(TDeepBoard(size, size, rule)));
      }
    }
  }
}

TEST(DeepBoard, SameAsSeesTheStateARebuildRecomputes) {
  // Boards that differ from x at 7,7 and o at 8,8 (x to move) in one thing only.
  const auto made = [](int size, TRule rule, TSquareIndex first, TSquareIndex second) {
    auto board = std::make_unique<TDeepBoard>(size, size, rule);
    board->Move(first);
    board->Move(second);
    return board;
  };
  const auto base = [&] { return made(15, TRule::Freestyle, SquareAt(7, 7), SquareAt(8, 8)); };
  EXPECT_TRUE(base()->SameAs(*base()));
  struct {
    const char* What;
    std::function<std::unique_ptr<TDeepBoard>()> Make;
  } const cases[] = {
      {"the side to move",
       [&] {
         auto board = base();
         board->SetSideToMove(1);
         return board;
       }},
      {"the rule", [&] { return made(15, TRule::ExactlyFive, SquareAt(7, 7), SquareAt(8, 8)); }},
      {"the size", [&] { return made(16, TRule::Freestyle, SquareAt(7, 7), SquareAt(8, 8)); }},
      {"the stones", [&] { return made(15, TRule::Freestyle, SquareAt(7, 7), SquareAt(8, 7)); }},
      {"the colours", [&] { return made(15, TRule::Freestyle, SquareAt(8, 8), SquareAt(7, 7)); }},
  };
  for (const auto& c : cases) EXPECT_FALSE(c.Make()->SameAs(*base())) << c.What;
}

// A wrong call would corrupt the board: a checking build stops at it with a message saying
// what was wrong; a release build trusts its callers.
TEST(DeepBoardDeathTest, AWrongCallStopsACheckingBuild) {
  if (!kCheckState) GTEST_SKIP() << "a release build leaves the checks out";
  struct {
    const char* What;
    std::function<void(TDeepBoard&)> Call;
  } const cases[] = {
      {"occupied", [](TDeepBoard& b) { b.Move(SquareAt(7, 7)); }},
      {"off the board", [](TDeepBoard& b) { b.Move(SquareAt(15, 3)); }},
      {"off the board", [](TDeepBoard& b) { b.Move(kNoSquare); }},
      {"no move", [](TDeepBoard& b) { b.Undo(), b.Undo(); }},
      {"no such side", [](TDeepBoard& b) { b.Place(SquareAt(1, 1), 2); }},
      {"no such side", [](TDeepBoard& b) { b.SetSideToMove(-1); }},
  };
  for (const auto& c : cases) {
    EXPECT_DEATH(
        {
          auto board = std::make_unique<TDeepBoard>(15, 15, TRule::Freestyle);
          board->Move(SquareAt(7, 7));
          c.Call(*board);
        },
        c.What);
  }
}

TEST(DeepBoard, SquaresBeyondASmallBoardAreWalls) {
  // On 15 x 15 a four against the right edge has one square to make five, on 20 x 20 two.
  for (const int size : {15, 20}) {
    TDeepBoard board(size, size, TRule::Freestyle);
    for (int x = 12; x <= 14; ++x) board.Place(SquareAt(x, 7), 0);
    const TPattern4 expected = size == 15 ? P4Block4 : P4Flex4;
    EXPECT_EQ(int{board.Class(SquareAt(11, 7), 0)}, int{expected}) << size;
  }
}

TEST(DeepBoard, ClassesAndCountsFollowTheThreats) {
  TDeepBoard board = testing::BoardOf({"", "", "", "..xxx", "", "", "oooo"}, 'x');
  // The second player's four at the edge has one square that makes five.
  EXPECT_EQ(board.ClassCount(1, P4Five), 1);
  EXPECT_EQ(board.Class(SquareAt(4, 6), 1), P4Five);
  EXPECT_EQ(board.FindClass(1, P4Five), SquareAt(4, 6));
  // The open three: two squares make an open four, the two beyond them a four.
  EXPECT_EQ(board.Class(SquareAt(1, 3), 0), P4Flex4);
  EXPECT_EQ(board.Class(SquareAt(5, 3), 0), P4Flex4);
  EXPECT_EQ(board.Class(SquareAt(0, 3), 0), P4Block4);
  EXPECT_EQ(board.Class(SquareAt(6, 3), 0), P4Block4);
  EXPECT_EQ(board.ClassCount(0, P4Flex4), 2);
  EXPECT_EQ(board.ClassCount(0, P4Five), 0);
}

TEST(DeepBoard, TheKeyDependsOnTheStonesNotTheirOrder) {
  TDeepBoard a(20, 20, TRule::Freestyle), b(20, 20, TRule::Freestyle);
  a.Move(SquareAt(3, 3));
  a.Move(SquareAt(4, 4));
  a.Move(SquareAt(5, 5));
  b.Move(SquareAt(5, 5));
  b.Move(SquareAt(4, 4));
  b.Move(SquareAt(3, 3));
  EXPECT_EQ(a.Hash(), b.Hash());
  a.Undo();
  EXPECT_NE(a.Hash(), b.Hash());
}

}  // namespace
}  // namespace zarvo::deep
