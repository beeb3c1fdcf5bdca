#include "driver/engine.h"

#include "board/pattern_tables.h"
#include "board/random.h"
#include "driver/engine_config.h"

namespace zarvo {

TMove PlayPosition(TEngineState& state, int side, const TBoardText& board,
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
  try {
    return FindMove(state, position);
  } catch (...) {
    return FirstEmptySquare(position);  // a failed search still answers a legal square
  }
}

}  // namespace zarvo
