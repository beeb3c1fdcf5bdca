// Whole games of the engine against itself in one process, each move from a fresh state.
#include <gtest/gtest.h>

#include <sstream>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "board/threat_lists.h"
#include "driver/move_files.h"
#include "select/move_selection.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using TGrid = std::array<std::array<char, 20>, 20>;  // [y][x]: '.', 'x' or 'o'

bool HasFive(const TGrid& grid, char stone) {
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      for (int d = 0; d < 4; ++d) {
        int run = 0;
        for (int k = 0; k < 5; ++k) {
          const int nx = x + k * DirDX[d], ny = y + k * DirDY[d];
          if (OnBoard(nx, ny) && grid[ny][nx] == stone) ++run;
        }
        if (run == 5) return true;
      }
  return false;
}

TEST(SelfPlay, GamesAreLegalAndTacticallySound) {
  BuildPairClass();
  const testing::TTempDir dir;  // lost positions leave their marker here
  for (uint32_t seed : {3u, 17u, 42u}) {
    TGrid grid;
    for (auto& row : grid) row.fill('.');
    bool finished = false;
    for (int ply = 0; ply < 120 && !finished; ++ply) {
      const char mover = ply % 2 == 0 ? 'x' : 'o';
      std::ostringstream text;
      for (const auto& row : grid) text << std::string(row.begin(), row.end()) << "\n";
      std::istringstream in(text.str());

      TEngineState state;
      state.WorkDir = dir.Path();
      state.ExeBaseName = "/nonexistent/zarvo-test";
      state.Rng.Seed(seed * 1000 + ply);
      state.MaxDepth = 3;
      TPosition position{};
      InitPosition(position);
      LoadBoard(state, mover == 'x' ? kStoneX : kStoneO, ReadBoardText(in), position);
      const TSquare move = FindMove(state, position);
      const std::string where =
          "seed " + std::to_string(seed) + " ply " + std::to_string(ply) + "\n" + text.str();

      ASSERT_TRUE(OnBoard(move.X, move.Y)) << where;
      ASSERT_EQ(grid[move.Y][move.X], '.') << where;

      // What the mover had: its own five-squares, and the opponent's.
      TPosition evaluated = position;
      TThreatLists lists;
      RescanAll(evaluated, &lists);
      const TSquare* played = lists.Lookup(move.X, move.Y);
      if (!lists.FiveSquares[0].Empty()) {
        EXPECT_TRUE(lists.FiveSquares[0].Contains(played)) << "missed its own five\n" << where;
      } else if (lists.FiveSquares[1].Count() == 1) {
        EXPECT_EQ(lists.FiveSquares[1][0], played) << "missed the single block\n" << where;
      }

      grid[move.Y][move.X] = mover;
      if (HasFive(grid, mover)) finished = true;
      EXPECT_FALSE(HasFive(grid, mover == 'x' ? 'o' : 'x'));
    }
    EXPECT_TRUE(finished) << "seed " << seed << ": no five in 120 moves";
  }
}

}  // namespace
}  // namespace zarvo
