// PlayPosition, the in-process engine move of every front end but the move-file program.
#include "driver/engine.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "board/state_check.h"

namespace zarvo {
namespace {

// A search that throws still answers a legal square, the first empty one; a checking build says
// on stderr what was thrown, so the failure is seen rather than hidden.
TEST(Engine, AFailedSearchAnswersTheFirstEmptySquare) {
  TBoardText board;
  for (std::string& row : board.Rows) row.assign(kBoardSize, '.');
  board.RowCount = kBoardSize;
  board.Rows[0][0] = 'x';  // (0, 0): the first square in scan order is taken
  board.Rows[9][9] = 'o';
  board.Rows[9][10] = 'x';

  TEngineState state;
  state.Time.Clock = []() -> TMonotonicClock::time_point {
    throw std::runtime_error("the clock broke");
  };
  TEngineOptions options;
  options.ProgramPath = "/nonexistent/zarvo-test";
  options.Seed = 1;
  options.BudgetMs = 1000;
  ::testing::internal::CaptureStderr();
  const TSquare move = PlayPosition(state, kStoneO, board, options);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(move, (TSquare{0, 1}));
  if (kCheckState) {
    EXPECT_NE(said.find("the clock broke"), std::string::npos) << said;
  } else {
    EXPECT_EQ(said, "");
  }
}

}  // namespace
}  // namespace zarvo
