#include "driver/engine.h"

#include "base/random.h"
#include "board/pattern_tables.h"
#include "driver/engine_config.h"
#include "driver/loss_marker.h"

namespace zarvo {

TSquare PlayPosition(TEngineState& state, int side, const TBoardText& board,
                     const TEngineOptions& options) {
  TPosition position{};
  InitPosition(position);
  LoadBoard(state, side, board, position);
  // The start-up of Zarvo2, with the limits given here instead of a time file when there are any.
  state.Rng.Seed(options.Seed.value_or(ClockSeed()));
  state.ExeBaseName = ExeBaseNameOf(options.ProgramPath);
  if (options.BudgetMs)
    SetBudgetMs(state, *options.BudgetMs);
  else
    ReadTimeOuts(state);
  if (options.MaxDepth) state.MaxDepth = *options.MaxDepth;
  BuildPairClass();
  TSquare move;
  try {
    move = FindMove(state, position);
  } catch (...) {
    move = FirstEmptySquare(position);  // a failed search still answers a legal square
  }
  if (state.GameLost) RecordLoss(state);
  return move;
}

}  // namespace zarvo
