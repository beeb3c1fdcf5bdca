// The incremental evaluation must agree with a full evaluation of the same stones after every
// move; random games find the cases no hand-made position thinks of.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "base/random.h"
#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "tests/board/eval_checks.h"

namespace zarvo {
namespace {

using testing::AllLists;
using testing::BoardPicture;
using testing::DescribeCell;
using testing::kListNames;
using testing::SameEvaluation;
using testing::Sorted;
using testing::Squares;

struct TMovePlayed {
  uint8_t Stone;
  int X, Y;
};

// Where the incremental position differs from a fresh one built from the same moves; empty when
// they agree.
std::string Difference(const TPosition& incremental, const TThreatLists& incrementalLists,
                       const TSideMaps& sides, const std::vector<TMovePlayed>& moves) {
  TPosition fresh{};
  InitPosition(fresh);
  for (const TMovePlayed& m : moves) PlaceStone(sides, m.Stone, m.X, m.Y, fresh);
  TThreatLists freshLists;
  RescanAll(fresh, &freshLists);

  std::ostringstream out;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (!SameEvaluation(incremental.Cell(x, y), fresh.Cell(x, y)))
        out << "cell " << x << "," << y << ": incremental " << DescribeCell(incremental.Cell(x, y))
            << "\n  fresh " << DescribeCell(fresh.Cell(x, y)) << "\n";
  const auto lists = AllLists(incrementalLists);
  const auto expected = AllLists(freshLists);
  for (int i = 0; i < 6; ++i)
    if (Sorted(Squares(*lists[i])) != Sorted(Squares(*expected[i])))
      out << kListNames[i] << " differs\n";
  // The line words are what every rescan reads; they have no padding, so bytes compare.
  if (std::memcmp(&incremental.StraightBits, &fresh.StraightBits, sizeof fresh.StraightBits) ||
      std::memcmp(&incremental.DiagonalBits, &fresh.DiagonalBits, sizeof fresh.DiagonalBits))
    out << "line words differ\n";
  return out.str();
}

// Games start anywhere (edges and corners included) and mostly grow next to the stones already
// played, which makes the fours and fives the lists are about; they continue past a five.
TEST(IncrementalEval, EveryMoveAgreesWithAFullRescan) {
  BuildPairClass();
  TRandom rng(77031);
  for (int game = 0; game < 150; ++game) {
    TSideMaps sides;
    sides.OwnStone = game % 2 == 0 ? kStoneX : kStoneO;
    SetSideMaps(sides);
    TPosition position{};
    InitPosition(position);
    TThreatLists lists;
    RescanAll(position, &lists);
    std::vector<TMovePlayed> moves;
    uint8_t stone = kStoneX;
    const int length = 20 + rng.Random(100);
    for (int move = 0; move < length; ++move) {
      int x, y;
      do {
        if (moves.empty() || rng.Random(8) == 0) {
          x = rng.Random(kBoardSize);
          y = rng.Random(kBoardSize);
        } else {
          const TMovePlayed& near = moves[rng.Random(static_cast<int32_t>(moves.size()))];
          x = near.X + rng.Random(5) - 2;
          y = near.Y + rng.Random(5) - 2;
        }
      } while (!OnBoard(x, y) || position.Cell(x, y).Stone != kEmpty);
      MakeMove(sides, stone, x, y, &lists, position);
      moves.push_back({stone, x, y});

      const std::string difference = Difference(position, lists, sides, moves);
      ASSERT_TRUE(difference.empty()) << "game " << game << ", move " << move + 1 << ": "
                                      << ".xo"[stone] << " at " << x << "," << y << " (own stone "
                                      << ".xo"[sides.OwnStone] << ")\n"
                                      << BoardPicture(position) << difference;
      stone = OppositeStone[stone];
    }
  }
}

}  // namespace
}  // namespace zarvo
