// Properties of the static evaluation that hold whatever its weights: the node-count signature
// changes with every tuning, so it cannot be what guards the evaluation's signs.
#include "deep/evaluation.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string_view>
#include <vector>

namespace zarvo::deep {
namespace {

// The score for the first player (x): the evaluation is the side to move's.
int ScoreForX(const TDeepBoard& board) {
  return board.SideToMove() == 0 ? Evaluate(board) : -Evaluate(board);
}

// The same stones with the colours swapped, the other side to move.
std::unique_ptr<TDeepBoard> ColourMirrored(const TDeepBoard& board) {
  auto mirrored = std::make_unique<TDeepBoard>(board.Width(), board.Height(), board.Rule());
  for (int y = 0; y < board.Height(); ++y) {
    for (int x = 0; x < board.Width(); ++x) {
      const TStone stone = board.At(SquareAt(x, y));
      if (stone == kBlack || stone == kWhite) mirrored->Place(SquareAt(x, y), stone == kBlack);
    }
  }
  mirrored->SetSideToMove(Opponent(board.SideToMove()));
  return mirrored;
}

// Small positions on 15 x 15 where x has a threat (o at most a lesser one).
struct TThreatCase {
  const char* What;
  std::vector<std::string_view> Rows;
};
const std::vector<TThreatCase>& ThreatCases() {
  static const std::vector<TThreatCase> cases = {
      {"open two", {"", "", "", "", "", "", "", "......xx"}},
      {"split two", {"", "", "", "", "", "", "", ".....x.x"}},
      {"closed three", {"", "", "", "", "", "", "", "......xxxo"}},
      {"open three", {"", "", "", "", "", "", "", ".....xxx"}},
      {"split three", {"", "", "", "", "", "", "", ".....xx.x"}},
      {"closed four", {"", "", "", "", "", "", "", ".....xxxxo"}},
      {"open three against an open two", {"", "", "", "", "", "", "oo", ".....xxx"}},
      {"two open twos against one", {"", "", "", "", "", "......x", ".....oo", "......xx"}},
  };
  return cases;
}

TDeepBoard BoardOf(const std::vector<std::string_view>& rows, char toMove) {
  TDeepBoard board(15, 15, TRule::Freestyle);
  for (int y = 0; y < static_cast<int>(rows.size()); ++y)
    for (int x = 0; x < static_cast<int>(rows[y].size()); ++x)
      if (rows[y][x] == 'x' || rows[y][x] == 'o') board.Place(SquareAt(x, y), rows[y][x] == 'o');
  board.SetSideToMove(toMove == 'x' ? 0 : 1);
  return board;
}

TEST(Evaluation, AColourMirroredPositionScoresTheNegation) {
  std::vector<std::unique_ptr<TDeepBoard>> boards;
  for (const TThreatCase& c : ThreatCases())
    for (const char toMove : {'x', 'o'})
      boards.push_back(std::make_unique<TDeepBoard>(BoardOf(c.Rows, toMove)));
  // Games of random moves near the centre, on both rules and two sizes.
  std::mt19937 random(22);
  for (const TRule rule : {TRule::Freestyle, TRule::ExactlyFive}) {
    for (const int size : {15, 20}) {
      for (int game = 0; game < 8; ++game) {
        auto board = std::make_unique<TDeepBoard>(size, size, rule);
        const int stones = 4 + static_cast<int>(random() % 30);
        for (int i = 0; i < stones; ++i) {
          const TSquareIndex square = SquareAt(size / 2 - 4 + static_cast<int>(random() % 9),
                                               size / 2 - 4 + static_cast<int>(random() % 9));
          if (board->IsEmpty(square)) board->Move(square);
        }
        boards.push_back(std::move(board));
      }
    }
  }
  for (const auto& board : boards) {
    EXPECT_EQ(ScoreForX(*ColourMirrored(*board)), -ScoreForX(*board))
        << board->StoneCount() << " stones, side " << board->SideToMove();
  }
}

TEST(Evaluation, AThreatCountsForItsOwnerAndAgainstTheOpponent) {
  // Whoever is to move, the side with the threat stands better: the side to move scores more
  // when the threat is its own than when it is the opponent's.
  for (const TThreatCase& c : ThreatCases()) {
    const int own = Evaluate(BoardOf(c.Rows, 'x'));
    const int opponents = Evaluate(BoardOf(c.Rows, 'o'));
    EXPECT_GT(own, opponents) << c.What;
  }
}

}  // namespace
}  // namespace zarvo::deep
