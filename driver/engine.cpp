#include "driver/engine.h"

#include <cstdio>
#include <exception>

#include "base/random.h"
#include "board/pattern_tables.h"
#include "board/state_check.h"
#include "driver/engine_config.h"
#include "driver/loss_marker.h"

namespace zarvo {
void ReportCurrentFailure(const char* failed, const char* instead) noexcept {
  try {
    throw;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zarvo: %s failed (%s); %s\n", failed, error.what(), instead);
  } catch (...) {
    std::fprintf(stderr, "zarvo: %s failed (an exception of unknown type); %s\n", failed, instead);
  }
}

TSquare FindMoveOrFirstEmpty(TEngineState& state, const TPosition& position) noexcept {
  try {
    return FindMove(state, position);
  } catch (...) {
    if constexpr (kCheckState)
      ReportCurrentFailure("the search", "answering the first empty square");
    return FirstEmptySquare(position);
  }
}

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
  const TSquare move = FindMoveOrFirstEmpty(state, position);
  if (state.GameLost) RecordLoss(state);
  return move;
}

}  // namespace zarvo
