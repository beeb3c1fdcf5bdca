// Small positions that pin the search's judgement: each row's value moves when one of the
// search's rules is changed, and the rule it guards is named in the row.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "board/threat_lists.h"
#include "driver/move_files.h"
#include "select/move_selection.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using TRootValues = std::map<std::pair<int, int>, int32_t>;

// The values the level-1 search gives its candidates. The moves are in play order, x first, so
// their count says who is to move; the board is read as the engine reads its board file, with
// no book and no time limit. The values do not depend on the seed.
TRootValues RootValues(const std::string& moves, int depth) {
  BuildPairClass();
  TBoardText board;
  for (std::string& row : board.Rows) row.assign(kBoardSize, '.');
  board.RowCount = kBoardSize;
  std::istringstream in(moves);
  std::string word;
  int count = 0;
  for (; in >> word; ++count) {
    const auto comma = word.find(',');
    const int x = std::stoi(word.substr(0, comma));
    const int y = std::stoi(word.substr(comma + 1));
    board.Rows[y][x] = count % 2 == 0 ? 'x' : 'o';
  }

  const testing::TTempDir workDir;  // a lost position leaves its marker here
  TEngineState state;
  state.WorkDir = workDir.Path();
  state.ExeBaseName = "/nonexistent/zarvo-puzzle";
  state.Rng.Seed(1);
  TPosition position{};
  InitPosition(position);
  LoadBoard(state, count % 2 == 0 ? kStoneX : kStoneO, board, position);
  state.MaxDepth = depth;

  auto context = std::make_unique<TMoveContext>();
  context->W = position;
  TThreatLists lists;
  state.Search.Lists = &lists;
  RescanAll(context->W, &lists);
  SelectMove(state, *context);
  state.Search.Lists = nullptr;

  TRootValues values;
  for (const TCell& entry : context->LevelCandidates[1].Entries)
    values[{entry.X, entry.Y}] = entry.Value[0];
  return values;
}

TEST(SearchPuzzles, RootValuesOfSmallPositions) {
  struct Case {
    const char* Guards;
    const char* Moves;
    int Depth;
    std::pair<int, int> Square;
    int32_t Value;
  } const cases[] = {
      {"the horizon correction of a strong last-level threat",
       "9,9 8,10 10,9 8,8",
       3,
       {8, 9},
       1903},
      {"deep replies in line with an earlier threat of the same attack",
       "9,9 8,10 10,9 8,8",
       6,
       {8, 9},
       -968},
      {"the solver refusing a four whose block makes two defender fours",
       "9,9 8,10 10,8 11,10 10,10 8,8 10,9 10,11 8,9 7,9",
       4,
       {9, 11},
       -77},
      {"the bonus for more than two open fours at the depth limit",
       "9,9 10,8 8,8 10,10 9,7 9,10 8,7",
       4,
       {7, 7},
       -28209},
      {"the depth trimmed once a root move is a proven win",
       "9,9 8,10 10,8 8,7 8,8 7,9 9,11 7,8 9,8 9,12",
       3,
       {9, 7},
       11281},
      {"the cut only when a move is strictly worse than the bound",
       "9,9 9,10 10,9 8,9",
       3,
       {6, 7},
       659},
      {"the weight of a four in the line sums", "9,9 10,10 9,8 9,7", 3, {8, 9}, 1553},
  };
  for (const Case& c : cases) {
    const TRootValues values = RootValues(c.Moves, c.Depth);
    const auto found = values.find(c.Square);
    ASSERT_NE(found, values.end()) << c.Guards;
    EXPECT_EQ(found->second, c.Value) << c.Guards << ": " << c.Moves << " at depth " << c.Depth;
  }
}

}  // namespace
}  // namespace zarvo
